#include "device/core/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace zev {

void StdoutDiagSink::Write(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void DiagPrintf(DiagSink* sink, const char* format, ...) {
  va_list args;
  va_start(args, format);
  VDiagPrintf(sink, format, args);
  va_end(args);
}

void VDiagPrintf(DiagSink* sink, const char* format, va_list args) {
  if (sink == nullptr) return;
  char small[512];
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  if (needed < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<size_t>(needed) < sizeof small) {
    va_end(copy);
    sink->Write(std::string_view(small, static_cast<size_t>(needed)));
    return;
  }
  std::vector<char> large(static_cast<size_t>(needed) + 1);
  std::vsnprintf(large.data(), large.size(), format, copy);
  va_end(copy);
  sink->Write(std::string_view(large.data(), static_cast<size_t>(needed)));
}

StdoutDiagSink& DefaultDiagSink() {
  static StdoutDiagSink sink;
  return sink;
}

}  // namespace zev
