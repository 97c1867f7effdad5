#pragma once

#include <glib.h>

#include <functional>
#include <string>

namespace zev::sim::host {

// The control socket: a Unix socket in a private directory (mode 0700, so only this
// user reaches it), served on the main loop. A client sends one command line and
// gets one reply line. Removes the socket and its directory when destroyed.
class ControlServer {
 public:
  using Handler = std::function<std::string(const std::string& line)>;

  ControlServer() = default;
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  bool Start(Handler handler, std::string* error);
  const std::string& SocketPath() const { return path_; }

 private:
  static gboolean OnConnection(gint fd, GIOCondition condition, gpointer self);

  Handler handler_;
  std::string dir_;
  std::string path_;
  int fd_ = -1;
  guint source_ = 0;
};

}  // namespace zev::sim::host
