// ZEVLibDnTest: shows client programmers the zevutil library at work. It loads the
// library at run time, binds the exports by name and calls them from text menus with
// fixed sample arguments.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/command_line.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"

int main(int argc, char** argv) {
  using namespace zev::dntest;
  const std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine commandLine;
  std::string error;
  if (!ParseCommandLine(args, std::getenv(kLibraryEnvironmentVariable), &commandLine, &error)) {
    std::fprintf(stderr, "ZEVLibDnTest: %s (try --help)\n", error.c_str());
    return 2;
  }
  if (commandLine.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return RunMainMenu(commandLine.library);
}
