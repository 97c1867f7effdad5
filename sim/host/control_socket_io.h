#pragma once

#include <string>

namespace zev::sim::host {

// Line exchange on the control socket, shared by zev-sim and `zev-sim ctl`.
inline constexpr int kServerTimeoutMs = 2000;
inline constexpr int kClientTimeoutMs = 30000;
inline constexpr size_t kMaxLineBytes = 4096;

void SetSocketTimeouts(int fd, int milliseconds);
// Reads up to a line feed or the end of the stream (the line feed is dropped). False
// on an error, a timeout or a line longer than kMaxLineBytes (then `line` holds more
// than kMaxLineBytes).
bool ReceiveLine(int fd, std::string* line);
// Sends `line` and a line feed.
bool SendLine(int fd, const std::string& line);

}  // namespace zev::sim::host
