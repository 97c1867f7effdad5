#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/process.h"

// What the e2e script programs (zev-e2e-probe, zev-e2e-lib) share: each argument is
// one step, split into words; each step prints one or more transcript lines.
namespace zev::e2e {

inline constexpr std::chrono::seconds kCtlTimeout{30};

// A decimal or 0x-hexadecimal 32-bit number.
std::optional<uint32_t> Number(const std::string& text);
// "0x0000ABCD"
std::string Hex(uint32_t value);
// One transcript line, flushed at once (a crash keeps what came before).
void PrintLine(const std::string& line);
// Where the transcript goes: standard output unless a program moves it.
void SetTranscript(std::FILE* stream);

// `ctl WORDS...`: runs `zev-sim ctl WORDS...` and gives "ctl WORDS... -> REPLY", with
// " [exit N]" when it failed. `words` includes the step name.
std::vector<std::string> CtlCommand(const std::vector<std::string>& words);
std::string CtlLine(const std::vector<std::string>& words, const ProcessResult& result);
inline std::string RunCtl(const std::vector<std::string>& words) {
  return CtlLine(words, RunProcess(CtlCommand(words), kCtlTimeout));
}

// Runs every argument as a step; `step` returns false for a step it does not know or
// with bad arguments. Exit status 0 when every step ran, 2 on a bad script.
int RunScript(int argc, char** argv, const char* program,
              const std::function<bool(const std::vector<std::string>&)>& step);

}  // namespace zev::e2e
