#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

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

// The transcript of a script program (zev-e2e-probe, zev-e2e-lib) for `steps`, run
// under zev-sim with `options` and with the extra environment entries ("NAME=value").
inline ProcessResult RunScript(const std::string& program, const std::vector<std::string>& options,
                               const std::vector<std::string>& steps, const std::vector<std::string>& environment) {
  std::vector<std::string> command = {"env"};
  command.insert(command.end(), environment.begin(), environment.end());
  command.push_back(program);
  command.insert(command.end(), steps.begin(), steps.end());
  return RunZevSim(options, command);
}

inline ProcessResult RunProbe(const std::vector<std::string>& options, const std::vector<std::string>& steps,
                              const std::vector<std::string>& environment = {}) {
  return RunScript(ZEV_E2E_PROBE_BIN, options, steps, environment);
}

// zev-e2e-lib: the built libzevutil.so driven through its exports.
inline ProcessResult RunLibClient(const std::vector<std::string>& options, const std::vector<std::string>& steps,
                                  const std::vector<std::string>& environment = {}) {
  return RunScript(ZEV_E2E_LIB_BIN, options, steps, environment);
}

// A script and the transcript it must give.
struct Scenario {
  std::string name;
  std::vector<std::string> options;  // zev-sim's
  std::vector<std::string> steps;    // the script program's
  std::vector<std::string> transcript;
  std::vector<std::string> environment = {};  // the script program's extra variables
};

// Test names say enough; gtest would otherwise dump the bytes.
inline void PrintTo(const Scenario& value, std::ostream* out) { *out << value.name; }

// A file name in the test temporary directory that is this process's own: ctest runs
// the cases of one test program as parallel processes, and each writes its files
// (some while the cases are listed) before a zev-sim reads them.
inline std::string ProcessTempPath(const std::string& name) {
  return ::testing::TempDir() + std::to_string(getpid()) + "-" + name;
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
