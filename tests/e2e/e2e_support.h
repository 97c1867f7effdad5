#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/e2e/process.h"

namespace zev::e2e {

// Generous: these runs go through the real USB path (about 1,700 control transfers a
// second) in sanitizer builds on a shared machine.
inline constexpr std::chrono::seconds kRunTimeout{120};

// zev-sim with `options`, running `command`.
inline ProcessResult RunZevSim(const std::vector<std::string>& options, const std::vector<std::string>& command) {
  std::vector<std::string> argv = {ZEV_SIM_BIN};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.push_back("--");
  argv.insert(argv.end(), command.begin(), command.end());
  return RunProcess(argv, kRunTimeout);
}

// The probe's transcript for `steps`, run under zev-sim with `options` and with the
// extra environment entries ("NAME=value").
inline ProcessResult RunProbe(const std::vector<std::string>& options, const std::vector<std::string>& steps,
                              const std::vector<std::string>& environment = {}) {
  std::vector<std::string> command = {"env"};
  command.insert(command.end(), environment.begin(), environment.end());
  command.push_back(ZEV_E2E_PROBE_BIN);
  command.insert(command.end(), steps.begin(), steps.end());
  return RunZevSim(options, command);
}

// Output split into lines (without line feeds).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace zev::e2e
