#pragma once

// Running the console exerciser (ZEVLibDnTest) under zev-sim with scripted input.
#include <string>
#include <vector>

#include "tests/e2e/process.h"

namespace zev::e2e {

struct ExerciserRun {
  ProcessResult process;
  // Standard output with the library's announcements marked in place: a bring-up (the
  // DDR2 clock banner and the clock and DDR2 lines after it) as "<bring-up 333Mhz>", a
  // pixel clock set for a mode as "<pixel clock 148500000>", an EDID read that no
  // monitor answered (its error lines) as "<no EDID>". The exerciser's own text
  // stays byte for byte, and where the library did these things is still visible.
  // Other library lines stay as they are.
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
std::string MarkLibraryLines(const std::string& output);

// `path` quoted for the shell.
std::string ShellQuote(const std::string& path);

}  // namespace zev::e2e
