#pragma once

#include <string>
#include <vector>

namespace zev::dntest {

inline constexpr const char* kLibraryFileName = "libzevutil.so";
// Names the library file to use instead of the default search.
inline constexpr const char* kLibraryEnvironmentVariable = "ZEV_LIBRARY";

// Where the library comes from: a file the user named, or the default search (the
// program's own directory, then ../lib of it as installed, then the system's library
// path). The current directory is never searched unless the user names a file there.
struct LibrarySource {
  std::string explicitPath;  // empty: the default search
};

// A file path as the user gave it, made usable by the loader: a bare file name means
// the file in the current directory (the loader would search the library path for it).
std::string AsFilePath(const std::string& path);

// The directory this program runs from (resolved through /proc/self/exe); empty when
// it cannot be found.
std::string ProgramDirectory();

// The files the default search tries before the system's library path.
std::vector<std::string> DefaultCandidates();

// The directories the dynamic loader searches for a bare library name, in its order
// (LD_LIBRARY_PATH, the program's run path, the system directories; not its cache).
// Entries may be relative, even empty: those mean the current directory.
std::vector<std::string> LoaderSearchDirectories();

}  // namespace zev::dntest
