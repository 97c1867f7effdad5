#include "sim/host/readiness_fifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zev::sim::host {
namespace {

constexpr size_t kPage = 4096;  // one pipe buffer slot; writes of this size are atomic

}  // namespace

ReadinessFifo::~ReadinessFifo() {
  if (fd_ >= 0) close(fd_);
}

bool ReadinessFifo::Create(const std::string& path, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec) {
    *error = "cannot create the directory of " + path + ": " + ec.message();
    return false;
  }
  if (mkfifo(path.c_str(), 0666) != 0) {
    *error = "mkfifo " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  // Read and write: the open never blocks, and the pipe stays alive with no client.
  fd_ = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    *error = "open " + path + ": " + std::strerror(errno);
    Unlink();
    return false;
  }
  SetReady(false);
  return true;
}

void ReadinessFifo::Unlink() {
  if (!path_.empty()) unlink(path_.c_str());
  path_.clear();
}

void ReadinessFifo::SetReady(bool ready) {
  if (fd_ < 0 || ready == ready_) return;
  if (ready) {
    char sink[kPage];
    [[maybe_unused]] const ssize_t drained = read(fd_, sink, sizeof sink);
  } else {
    static const char fill[kPage] = {};
    while (write(fd_, fill, sizeof fill) > 0) {
    }
  }
  ready_ = ready;
}

}  // namespace zev::sim::host
