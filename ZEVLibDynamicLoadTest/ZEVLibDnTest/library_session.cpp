#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"

#include <cstdio>
#include <string>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

namespace zev::dntest {

LibrarySession::~LibrarySession() {
  if (deInit_ != nullptr) deInit_();
}

bool LibrarySession::Load() {
  std::string why;
  if (!library_.Load(source_, &why)) {
    std::fputs("Failed to load zevutil.dll library \n", stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "ZEVLibDnTest: %s\n", why.c_str());
    return false;
  }
  init_ = ZEV_FIND_IN_MODULE(*this, ZEVLibInit);
  deInit_ = ZEV_FIND(*this, ZEVLibDeInit);
  if (init_ == nullptr || deInit_ == nullptr) {
    // Neither is called when one of them is missing.
    deInit_ = nullptr;
    std::fputs("Failed to get address of function pZEVLibInit or pZEVLibDeInit \n", stdout);
    return false;
  }
  return true;
}

void ReportMissingExport(const char* name) {
  std::printf("Failed to get address of function %s \n", name);
}

bool CommonStart(LibrarySession& session) {
  if (!session.Load()) return false;
  const ZEV_STATUS status = session.Init();
  PrintStatus(status, kInitLines);
  return status != ZEV_LIB_MORE_THAN_ONE_DEV;
}

}  // namespace zev::dntest
