#pragma once

#include <string>
#include <vector>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_location.h"

namespace zev::dntest {

struct CommandLine {
  bool help = false;
  LibrarySource library;
};

extern const char* const kUsage;

// Parses the arguments (without the program name); `environmentLibrary` is the value
// of ZEV_LIBRARY (null when unset), which --library overrides. False with a message in
// `error` for a bad command line.
bool ParseCommandLine(const std::vector<std::string>& args, const char* environmentLibrary, CommandLine* out,
                      std::string* error);

}  // namespace zev::dntest
