#pragma once

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/zevutil_library.h"
#include "zevutil.h"

namespace zev::dntest {

// Prints "Failed to get address of function NAME \n".
void ReportMissingExport(const char* name);

// A sub-menu's hold on the library: loaded at its start; at its end the connection is
// closed (ZEVLibDeInit) and the library unloaded, so the next sub-menu starts from the
// library's values at load.
class LibrarySession {
 public:
  explicit LibrarySession(const LibrarySource& source) : source_(source) {}
  ~LibrarySession();
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;

  // Loads the library and binds ZEVLibInit (through the module handle) and
  // ZEVLibDeInit. Prints the menus' failure lines; false when the menu must return.
  bool Load();
  ZEV_STATUS Init() { return init_(); }
  ZEV_STATUS DeInit() { return deInit_(); }

  // The export `name` from the load's handle, or through the module handle; null when
  // missing.
  template <typename Function>
  Function Find(const char* name) const {
    return Bind<Function>(library_.Symbol(name));
  }
  template <typename Function>
  Function FindInModule(const char* name) const {
    return Bind<Function>(library_.ModuleSymbol(name));
  }
  // As Find, and a missing export is reported ("Failed to get address of function ...").
  template <typename Function>
  Function Require(const char* name) const {
    const Function function = Find<Function>(name);
    if (function == nullptr) ReportMissingExport(name);
    return function;
  }

 private:
  const LibrarySource& source_;
  ZevutilLibrary library_;
  decltype(&ZEVLibInit) init_ = nullptr;
  decltype(&ZEVLibDeInit) deInit_ = nullptr;
};

// An export bound by its own name and typed after its declaration in zevutil.h.
#define ZEV_FIND(session, name) (session).Find<decltype(&name)>(#name)
#define ZEV_FIND_IN_MODULE(session, name) (session).FindInModule<decltype(&name)>(#name)
#define ZEV_REQUIRE(session, name) (session).Require<decltype(&name)>(#name)

// The common start of the EEPROM, DRAM and HDMI menus and the reset action: load,
// bind, ZEVLibInit. More than one adapter ends the menu; with no adapter or a failed
// bring-up it goes on (the exports re-open the connection themselves). False when the
// menu must return.
bool CommonStart(LibrarySession& session);

}  // namespace zev::dntest
