#pragma once

// Running the console exerciser (ZEVLibDnTest) under zev-sim with scripted input.
#include <string>
#include <vector>

#include "tests/e2e/process.h"

namespace zev::e2e {

struct ExerciserRun {
  ProcessResult process;
  // Standard output with every bring-up announcement of the library (the DDR2 clock
  // banner and the clock and DDR2 lines after it) replaced by "<bring-up 333Mhz>":
  // the exerciser's own text stays byte for byte, and where the library brought the
  // chip up is still visible. Other library lines stay as they are.
  std::string dialogue;
  // Standard output of the command run after the exerciser.
  std::string after;
};

// The exerciser (with `args`) under zev-sim with `simOptions`, reading `input`. `after`,
// a shell command, runs within the same zev-sim once the exerciser has ended (its exit
// status is the run's).
ExerciserRun RunExerciser(const std::vector<std::string>& simOptions, const std::string& input,
                          const std::vector<std::string>& args = {}, const std::string& after = "");

// The marking of RunExerciser, on any output.
std::string MarkBringUps(const std::string& output);

// `path` quoted for the shell.
std::string ShellQuote(const std::string& path);

}  // namespace zev::e2e
