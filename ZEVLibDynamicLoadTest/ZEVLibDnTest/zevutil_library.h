#pragma once

#include <string>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_location.h"

namespace zev::dntest {

// One load of libzevutil.so, unloaded when this goes away. Exports are bound by name at
// run time, either from the handle of this load or from the module handle of the
// already loaded library (looked up without loading it again).
class ZevutilLibrary {
 public:
  ZevutilLibrary() = default;
  ~ZevutilLibrary();
  ZevutilLibrary(const ZevutilLibrary&) = delete;
  ZevutilLibrary& operator=(const ZevutilLibrary&) = delete;

  // False with the reason in `why` when no library could be loaded (or the one found
  // came from a relative entry of the library path, i.e. the current directory).
  bool Load(const LibrarySource& source, std::string* why);
  bool loaded() const { return handle_ != nullptr; }
  // The file that was loaded.
  const std::string& path() const { return path_; }

  // The export `name` from this load's handle; null when the library lacks it.
  void* Symbol(const char* name) const;
  // The export `name` from the module handle of the loaded library; null when it is not
  // loaded or lacks it.
  void* ModuleSymbol(const char* name) const;

 private:
  bool Open(const std::string& file, std::string* why);
  bool OpenFromSystemPath(std::string* why);

  void* handle_ = nullptr;
  std::string path_;
};

// An export bound to its function type: Bind<decltype(&ZEVLibInit)>(library.Symbol("ZEVLibInit")).
template <typename Function>
Function Bind(void* symbol) {
  return reinterpret_cast<Function>(symbol);
}

}  // namespace zev::dntest
