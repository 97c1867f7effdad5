#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zev::e2e {

// The probe's "zev ..." steps: libzevutil.so loaded at run time and its exports bound
// by name, as the library's clients do.
//
//   zev load | zev unload
//   zev ZEVLibInit | ZEVLibDeInit | ZEVResetDevice | ZEVHdmiPhyDisable
//   zev ZEVPreferedResolution          prints the status, then height width refresh
//   zev ZEVInitGE HEIGHT WIDTH REFRESH
//   zev ZEVCalcEepromSize              prints the status, then the size
//   zev program-pid PID                writes a new product ID into the EEPROM with
//                                      ZEVLibWriteEEprom (the part holds the default image)
class ZevutilClient {
 public:
  ZevutilClient() = default;
  ZevutilClient(const ZevutilClient&) = delete;
  ZevutilClient& operator=(const ZevutilClient&) = delete;
  ~ZevutilClient();

  // The transcript line of one step (the words after "zev"); nullopt for a step it
  // does not know, bad arguments, or an export called before `load`.
  std::optional<std::string> Run(const std::vector<std::string>& words);

 private:
  template <class Function>
  Function* Bind(const char* name) const;
  std::optional<std::string> ProgramProductId(const std::string& text);

  void* library_ = nullptr;
};

}  // namespace zev::e2e
