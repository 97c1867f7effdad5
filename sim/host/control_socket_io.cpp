#include "sim/host/control_socket_io.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

namespace zev::sim::host {

void SetSocketTimeouts(int fd, int milliseconds) {
  timeval timeout{};
  timeout.tv_sec = milliseconds / 1000;
  timeout.tv_usec = (milliseconds % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

bool ReceiveLine(int fd, std::string* line) {
  line->clear();
  char buffer[512];
  while (line->size() <= kMaxLineBytes) {
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return !line->empty();
    line->append(buffer, static_cast<size_t>(got));
    if (const size_t end = line->find('\n'); end != std::string::npos) {
      line->resize(end);
      return true;
    }
  }
  return false;
}

bool SendLine(int fd, const std::string& line) {
  const std::string data = line + "\n";
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace zev::sim::host
