// The HDMI menu: HDMI video with I2S audio on and off. The library has no mute
// exports; choices 4 and 5 call them only if a library provides them.
#include <cstdio>
#include <optional>
#include <string>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

namespace zev::dntest {
namespace {

constexpr uint32_t kDcPortHdmiAv = 5;
using PlainExport = ZEV_STATUS (*)(void);

void PrintMenu() {
  std::fputs("--------------------- HDMI Sound Test Menu ---------------------\n", stdout);
  std::fputs("\t1. Enable HDMI Sound and Video \n", stdout);
  std::fputs("\t2. Disable HDMI Sound and Video \n", stdout);
  std::fputs("\t3. Exit \n", stdout);
  std::printf("%s\n", std::string(63, '-').c_str());
  std::fputs("Options:", stdout);
}

// The outcome of the call a choice makes; nothing when there was nothing to call.
using Outcome = std::optional<ZEV_STATUS>;

Outcome Enable(const LibrarySession& session) {
  std::fputs("\n", stdout);
  std::fputs("Initializing HDMI with default values \n", stdout);
  std::fputs("Here are default values: \n", stdout);
  std::fputs("Display Controller Port set to 'DC_PORT_HDMI_AV'\n", stdout);
  std::fputs("Audio set to 'AUDIO_I2S0'\n", stdout);
  std::fputs("Audio Sampling Frequency set to 'I2S_FS_AUTO'\n", stdout);
  std::fputs("MCLK mode set to '256 * Fs'\n", stdout);
  std::fputs("N_SVAL set to 'Default'\n", stdout);
  std::fputs("Infro frame suppression set to Disable\n", stdout);
  std::printf("%s\n\n", std::string(59, '-').c_str());
  HdmiAudioSettings settings{};
  settings.bAudioSource = AUDIO_I2S0;
  settings.bMclk = 2;  // 256 * Fs
  settings.bFsMode = I2S_FS_AUTO;
  settings.bSuppression = 0;
  settings.bNSval = 0;
  settings.dwPort = kDcPortHdmiAv;
  const auto enable = ZEV_REQUIRE(session, ZEVHdmiPhyEnable);
  if (enable == nullptr) return std::nullopt;
  std::fputs("\n\n-----------------------Init HDMI------------------------------------\n", stdout);
  const ZEV_STATUS status = enable(&settings);
  std::fputs("\n-----------------------Init HDMI done------------------------------------\n\n", stdout);
  return status;
}

// An export the library may lack (the mute pair): called when present, reported as
// not available otherwise.
Outcome CallOptional(const LibrarySession& session, const char* name) {
  const auto function = session.Find<PlainExport>(name);
  if (function == nullptr) {
    std::printf("%s is not available in zevutil.dll \n", name);
    return std::nullopt;
  }
  return function();
}

Outcome Disable(const LibrarySession& session) {
  const auto disable = ZEV_REQUIRE(session, ZEVHdmiPhyDisable);
  if (disable == nullptr) return std::nullopt;
  return disable();
}

}  // namespace

void HdmiMenu(const LibrarySource& source) {
  LibrarySession session(source);
  if (!CommonStart(session)) return;
  std::fputs("********* HDMI Sound Function testing ******** \n\n", stdout);
  while (true) {
    PrintMenu();
    const std::optional<int> choice = ReadNumber();
    if (!choice) return;
    std::fputs("\n", stdout);
    Outcome status;
    switch (*choice) {
      case 1:
        status = Enable(session);
        break;
      case 2:
        status = Disable(session);
        break;
      case 4:
        status = CallOptional(session, "ZEVHdmiMute");
        break;
      case 5:
        status = CallOptional(session, "ZEVHdmiUnMute");
        break;
      default:
        return;
    }
    if (status == ZEV_SUCCESS && *choice == 1) std::fputs("HDMI Sound enabled successfully \n", stdout);
    if (status && *status != ZEV_SUCCESS) PrintStatus(*status, kInitLines);
  }
}

}  // namespace zev::dntest
