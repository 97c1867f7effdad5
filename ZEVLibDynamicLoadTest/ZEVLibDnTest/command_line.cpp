#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/command_line.h"

namespace zev::dntest {

const char* const kUsage =
    "usage: ZEVLibDnTest [--library PATH]\n"
    "Walks through the functions of the zevutil library (libzevutil.so) from text menus,\n"
    "for the one attached ZEV adapter. Choices are read from standard input.\n"
    "\n"
    "  --library PATH  load the library from the file PATH (a bare name means the file\n"
    "                  in the current directory)\n"
    "  -h, --help      show this text\n"
    "\n"
    "ZEV_LIBRARY=PATH in the environment does the same as --library (the option wins).\n"
    "Otherwise the library is looked for next to this program, then in ../lib of the\n"
    "program's directory, then on the system's library path; never in the current\n"
    "directory.\n";

namespace {

bool SetLibrary(const std::string& path, CommandLine* out, std::string* error) {
  if (path.empty()) {
    *error = "--library needs a file path";
    return false;
  }
  out->library.explicitPath = path;
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, const char* environmentLibrary, CommandLine* out,
                      std::string* error) {
  *out = CommandLine{};
  if (environmentLibrary != nullptr && *environmentLibrary != '\0') out->library.explicitPath = environmentLibrary;
  const std::string kLibraryEquals = "--library=";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      out->help = true;
    } else if (arg == "--library") {
      if (i + 1 == args.size()) {
        *error = "--library needs a file path";
        return false;
      }
      if (!SetLibrary(args[++i], out, error)) return false;
    } else if (arg.rfind(kLibraryEquals, 0) == 0) {
      if (!SetLibrary(arg.substr(kLibraryEquals.size()), out, error)) return false;
    } else {
      *error = "unexpected argument '" + arg + "'";
      return false;
    }
  }
  return true;
}

}  // namespace zev::dntest
