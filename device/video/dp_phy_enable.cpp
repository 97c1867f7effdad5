// DisplayPort output through the ANX9805, in DisplayPort mode (hardware link training
// against the sink's DPCD) or in HDMI mode.
#include <array>

#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/video/anx9805.h"
#include "device/video/dp_phy.h"

namespace zev {
namespace {

using namespace anx9805;

constexpr uint32_t kDpcdMaxLinkRate = 0x001;
constexpr uint32_t kDpcdMaxLaneCount = 0x002;
constexpr uint32_t kTrainingTimeoutMs = 1000;

bool Failed(UsbDevice* dev, const char* line) {
  DevPrintf(dev, "%s", line);
  return false;
}

bool SetupDpMode(UsbDevice* dev, uint8_t address) {
  return Anx9805i2cSetup(dev, address) ||
         Failed(dev, "ERROR:  DpPhyEnableDPMode() failed calling Anx9805i2cSetup()\n");
}

// Starts hardware link training at the sink's maximum link and waits for its outcome.
bool TrainLink(UsbDevice* dev, uint32_t linkRate, uint32_t laneCount) {
  if (!SetupDpMode(dev, kDpAddress)) return false;
  Anx9805SetRegDW(dev, kLaneCountSet, static_cast<uint8_t>(laneCount));
  Anx9805SetRegDW(dev, kLinkBandwidthSet, static_cast<uint8_t>(linkRate));
  for (uint32_t reg = kTrainingLane0Set; reg <= kTrainingLane3Set; ++reg) {
    Anx9805SetRegDW(dev, static_cast<uint8_t>(reg), 0);
  }
  Anx9805SetRegDW(dev, kLinkTraining, kTrainingBusy);

  uint32_t training = 0;
  if (!Anx9805WaitReg(dev, kLinkTraining, kTrainingBusy, 0, kTrainingTimeoutMs, &training)) {
    return Failed(dev, "ERROR:  DpPhyEnableDPMode() timed out 1 Sec for training done\n");
  }
  if (training != 0) {
    DevPrintf(dev, "ERROR:  DpPhyEnableDPMode() link training failed reg 0xA8 = 0x%08lX\n",
              static_cast<unsigned long>(training));
    return false;
  }
  // A failed read is no lock.
  const uint32_t status = Anx9805GetRegDW(dev, kLinkStatus);
  if (status == kAnx9805ReadFailed || (status & kPllLocked) == 0) {
    DevPrintf(dev, "ERROR:  DpPhyEnableDPMode() PLL not locked after link training reg 0xB0 = 0x%08lX\n",
              static_cast<unsigned long>(status));
    return false;
  }
  return true;
}

bool EnableDpMode(UsbDevice* dev) {
  if (!DpPwrUp(dev)) return Failed(dev, "ERROR:  DpPhyEnableDPMode() failed calling DpPwrUp()\n");
  if (!SetupDpMode(dev, kSystemAddress)) return false;
  Anx9805ModifyReg(dev, kVideoControl, kVideoEnable, 0);
  Anx9805SetRegDW(dev, kPowerDown, 0);

  uint32_t linkRate = 0;
  uint32_t laneCount = 0;
  if (!Anx9805ReadDpcdDW(dev, kDpcdMaxLinkRate, &linkRate) || !Anx9805ReadDpcdDW(dev, kDpcdMaxLaneCount, &laneCount)) {
    return Failed(dev, "ERROR:  DpPhyEnableDPMode() failed calling Anx9805ReadDpcdDW()\n");
  }
  if (!TrainLink(dev, linkRate, laneCount)) return false;
  if (!DpEnableVideo(dev, true)) return Failed(dev, "ERROR:  DpPhyEnableDPMode() failed calling DpEnableVideo()\n");
  if (!DpEnableAudio(dev, true)) return Failed(dev, "ERROR:  DpPhyEnableDPMode() failed calling DpEnableAudio()\n");
  return true;
}

bool SetupHdmiMode(UsbDevice* dev) {
  return Anx9805i2cSetup(dev, kHdmiAddress) ||
         Failed(dev, "ERROR:  DpPhyEnableHdmiMode() failed calling Anx9805i2cSetup()\n");
}

// HDMI core set-up after power-up and the EDID read; false only when the HDMI address
// cannot be selected.
bool SetupHdmiCore(UsbDevice* dev) {
  DevPrintf(dev, "EDID read\n");
  if (!SetupHdmiMode(dev)) return false;

  DevPrintf(dev, "Apply soft reset to TXPLL and TMDS\n");
  Anx9805SetRegDW(dev, kHdmiCoreReset, 3);
  Sleep(200);
  Anx9805SetRegDW(dev, kHdmiCoreReset, 0);

  DevPrintf(dev, " enable HDMI mode rather than DVI mode in HDMI reg\n");
  Anx9805ModifyReg(dev, kHdmiMode, 0, 0x02);
  Anx9805ModifyReg(dev, kHdmiPacketControl, 0, 0x40);
  Anx9805SetRegDW(dev, 0x71, 3);

  DevPrintf(dev, "4096UL for N is val which works for Sii HDMI but not good for ANX on HP 2159m display\n");
  DevPrintf(dev,
            "6272UL for N is recommended val for 44.1KHz but not good for 44.1. but works great on 48KHz on HP 2159m "
            "display\n");
  DevPrintf(dev, "BUGBUG try 6144UL for N, recommended val for 48KHz, but works good for both 44.1 & 48 KHz\n");
  // N = 6144, low byte first.
  Anx9805SetRegDW(dev, 0x72, 0x00);
  Anx9805SetRegDW(dev, 0x73, 0x18);
  Anx9805SetRegDW(dev, 0x74, 0x00);

  DevPrintf(dev, " 10/12/2010 as per Analogix emial, setup AVI packe\n");
  if (!SetupHdmiMode(dev)) return false;
  // The AVI packet; it takes the place of the N bytes and of 0x71 above.
  constexpr uint8_t kAviPacket[] = {0x82, 0x02, 0x0D, 0x6E, 0x11};
  for (uint8_t i = 0; i < sizeof kAviPacket; ++i) {
    Anx9805SetRegDW(dev, static_cast<uint8_t>(kHdmiPacket0 + i), kAviPacket[i]);
  }
  return true;
}

}  // namespace

bool DpPhyEnableDPMode(UsbDevice* dev, const DmtMode& /*mode*/, uint32_t /*dwBpp*/) {
  const bool ok = EnableDpMode(dev);
  if (!ok) {
    Anx9805ShowRegs(dev);
    DpDumpDpcd(dev);
  }
  return ok;
}

bool DpPhyEnableHdmiMode(UsbDevice* dev, const DmtMode& /*mode*/, uint32_t /*dwBpp*/) {
  std::array<uint8_t, kDpEdidBlockSize> edid{};  // part of the set-up; the content is not used
  bool ok = DpHdmiModePwrUp(dev) && DpDdcReadEDID(dev, edid);
  if (ok) {
    // An HDMI address that cannot be selected ends the set-up without a register dump.
    if (!SetupHdmiCore(dev)) return false;
    if (!DpEnableVideo(dev, false)) {
      ok = Failed(dev, "ERROR:  DpPhyEnableHdmiMode() failed calling DpEnableVideo()\n");
    } else if (!DpEnableAudio(dev, false)) {
      ok = Failed(dev, "ERROR:  DpPhyEnableHdmiMode() failed calling DpEnableAudio()\n");
    }
  }
  if (!ok) Anx9805ShowRegs(dev);
  return ok;
}

}  // namespace zev
