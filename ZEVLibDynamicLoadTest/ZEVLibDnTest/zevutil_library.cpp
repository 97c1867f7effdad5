#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/zevutil_library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

namespace zev::dntest {
namespace {

std::string LoaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown loader error";
}

bool IsFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The file the loader resolved `handle` to.
std::string LoadedFile(void* handle) {
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr) return {};
  return map->l_name;
}

}  // namespace

ZevutilLibrary::~ZevutilLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

bool ZevutilLibrary::Load(const LibrarySource& source, std::string* why) {
  if (!source.explicitPath.empty()) return Open(AsFilePath(source.explicitPath), why);
  for (const std::string& candidate : DefaultCandidates()) {
    if (IsFile(candidate)) return Open(candidate, why);
  }
  return OpenFromSystemPath(why);
}

bool ZevutilLibrary::Open(const std::string& file, std::string* why) {
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    *why = LoaderError();
    return false;
  }
  path_ = LoadedFile(handle_);
  if (path_.empty()) path_ = file;
  return true;
}

bool ZevutilLibrary::OpenFromSystemPath(std::string* why) {
  // The loader's own search would take a library planted in the current directory
  // when LD_LIBRARY_PATH has an empty or relative entry, and loading runs its code. So
  // the search directories are walked here first and such a find refused unloaded.
  for (const std::string& directory : LoaderSearchDirectories()) {
    const std::string file = (directory.empty() ? "." : directory) + "/" + kLibraryFileName;
    if (!IsFile(file)) continue;
    if (directory.empty() || directory.front() != '/') {
      *why = "refusing " + file + ": found through the relative library path entry '" + directory +
             "' (relative to the current directory); name the file with --library";
      return false;
    }
    return Open(file, why);
  }
  // Not in those directories: the loader's cache of system libraries.
  handle_ = dlopen(kLibraryFileName, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    *why = std::string(kLibraryFileName) + " is neither next to the program nor on the library path: " + LoaderError();
    return false;
  }
  path_ = LoadedFile(handle_);
  // The cache holds absolute paths; anything else came from a relative directory.
  if (path_.empty() || path_.front() != '/') {
    *why = "refusing " + (path_.empty() ? std::string(kLibraryFileName) : path_) +
           ": found through a library path entry relative to the current directory; name the file with --library";
    dlclose(handle_);
    handle_ = nullptr;
    path_.clear();
    return false;
  }
  return true;
}

void* ZevutilLibrary::Symbol(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

void* ZevutilLibrary::ModuleSymbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  // Like asking for the handle of a module already in the process: RTLD_NOLOAD finds the
  // loaded library and never loads one. The reference it takes is given back at once;
  // this load keeps the library (and the symbol) in place.
  void* module = dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (module == nullptr) return nullptr;
  void* symbol = dlsym(module, name);
  dlclose(module);
  return symbol;
}

}  // namespace zev::dntest
