#pragma once

#include <string>

namespace zev::sim::host {

// The device node clients open, made a FIFO so that poll() on it tells them whether
// completed URBs wait to be reaped: a pipe reports POLLOUT exactly when it is not
// full. The FIFO is kept full while nothing waits and one page is drained when
// something does. (A regular file as node would always poll ready and make libusb's
// event loop spin.)
class ReadinessFifo {
 public:
  ReadinessFifo() = default;
  ~ReadinessFifo();
  ReadinessFifo(const ReadinessFifo&) = delete;
  ReadinessFifo& operator=(const ReadinessFifo&) = delete;

  // Creates the FIFO at `path` (and its parent directories) and fills it. False with
  // a message on failure.
  bool Create(const std::string& path, std::string* error);
  // Removes the FIFO from the file system; clients that hold it open keep it.
  void Unlink();
  // Cheap when the state does not change.
  void SetReady(bool ready);

 private:
  std::string path_;
  int fd_ = -1;
  bool ready_ = true;
};

}  // namespace zev::sim::host
