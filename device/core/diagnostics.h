#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace zev {

// Where the device library's diagnostic lines go. Hardware routines print their
// failure lines (and the utility's progress lines) through one sink so tests can
// capture the exact text without redirecting file descriptors.
class DiagSink {
 public:
  virtual ~DiagSink() = default;
  virtual void Write(std::string_view text) = 0;
};

// Standard output, flushed after every write so the lines interleave correctly with
// a console client's own printf output.
class StdoutDiagSink final : public DiagSink {
 public:
  void Write(std::string_view text) override;
};

// Collects everything written, for tests.
class CapturingDiagSink final : public DiagSink {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};

// Formats like printf and writes the result to the sink (nothing when sink is null).
void DiagPrintf(DiagSink* sink, const char* format, ...) __attribute__((format(printf, 2, 3)));
void VDiagPrintf(DiagSink* sink, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

StdoutDiagSink& DefaultDiagSink();

}  // namespace zev
