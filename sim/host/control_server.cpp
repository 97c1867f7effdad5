#include "sim/host/control_server.h"

#include <glib-unix.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/host/control_socket_io.h"

namespace zev::sim::host {

ControlServer::~ControlServer() {
  if (source_ != 0) g_source_remove(source_);
  if (fd_ >= 0) close(fd_);
  if (!path_.empty()) unlink(path_.c_str());
  if (!dir_.empty()) rmdir(dir_.c_str());
}

bool ControlServer::Start(Handler handler, std::string* error) {
  handler_ = std::move(handler);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zev-sim.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    *error = "cannot create the control socket directory " + pattern + ": " + std::strerror(errno);
    return false;
  }
  dir_ = pattern;
  chmod(dir_.c_str(), 0700);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = dir_ + "/ctl";
  if (path.size() >= sizeof address.sun_path) {
    *error = "control socket path too long: " + path + " (set TMPDIR to a shorter directory)";
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = "cannot create the control socket " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  if (listen(fd_, 8) != 0) {
    *error = "cannot listen on " + path + ": " + std::strerror(errno);
    return false;
  }
  source_ = g_unix_fd_add(fd_, G_IO_IN, &ControlServer::OnConnection, this);
  return true;
}

gboolean ControlServer::OnConnection(gint fd, GIOCondition, gpointer self) {
  auto* server = static_cast<ControlServer*>(self);
  const int connection = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) return G_SOURCE_CONTINUE;
  // A client that connects and says nothing must not stall the main loop for long.
  SetSocketTimeouts(connection, kServerTimeoutMs);
  std::string line;
  if (ReceiveLine(connection, &line)) {
    SendLine(connection, server->handler_(line));
  } else if (line.size() > kMaxLineBytes) {
    SendLine(connection, "error: command longer than " + std::to_string(kMaxLineBytes) + " bytes");
  }
  close(connection);
  return G_SOURCE_CONTINUE;
}

}  // namespace zev::sim::host
