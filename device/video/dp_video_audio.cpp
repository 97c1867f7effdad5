// ANX9805 video input and audio, in DisplayPort or HDMI mode.
#include "device/core/device_diag.h"
#include "device/video/anx9805.h"
#include "device/video/dp_phy.h"

namespace zev {
namespace {

using namespace anx9805;

// A run of input bit-mapping registers: register first + i takes value firstValue + i.
struct BitMapRun {
  uint8_t first;
  uint8_t count;
  uint8_t firstValue;
};
// DisplayPort: two 15-bit runs. HDMI: four runs of 8, 4, 8 and 4 bits.
constexpr BitMapRun kDpBitMap[] = {{0x40, 15, 2}, {0x4F, 15, 26}};
constexpr BitMapRun kHdmiBitMap[] = {{0x40, 8, 4}, {0x48, 4, 14}, {0x4C, 8, 28}, {0x54, 4, 38}};

template <size_t N>
void WriteBitMap(UsbDevice* dev, const BitMapRun (&runs)[N]) {
  for (const BitMapRun& run : runs) {
    for (uint8_t i = 0; i < run.count; ++i) {
      Anx9805SetRegDW(dev, static_cast<uint8_t>(run.first + i), static_cast<uint8_t>(run.firstValue + i));
    }
  }
}

// The audio registers live at 0x70 in DisplayPort mode and at 0x7A in HDMI mode.
bool SetupAudioAddress(UsbDevice* dev, bool bDpMode) {
  if (Anx9805i2cSetup(dev, bDpMode ? kDpAddress : kHdmiAddress)) return true;
  DevPrintf(dev, "ERROR:  DpEnableAudio() failed calling Anx9805i2cSetup()\n");
  Anx9805ShowRegs(dev);
  return false;
}

void ReportSpdifInput(UsbDevice* dev) {
  const uint32_t status = Anx9805GetRegDW(dev, ANX9805_SPDIF_STS0);
  // A failed read is no detection.
  const bool clock = status != kAnx9805ReadFailed && (status & kSpdifClockDetected) != 0;
  if (!clock) {
    DevPrintf(dev, "SPDIF CLK was NOT detected!\n");
    return;
  }
  DevPrintf(dev, "SPDIF CLK was detected!\n");
  DevPrintf(dev, (status & kSpdifAudioDetected) != 0 ? "SPDIF audio was detected!\n" : "SPDIF audio was NOT detected!\n");
}

}  // namespace

bool DpEnableVideo(UsbDevice* dev, bool bDpMode) {
  SetDpVideoOn(dev, false);
  if (!Anx9805i2cSetup(dev, kSystemAddress)) {
    Anx9805ShowRegs(dev);
    return false;
  }
  Anx9805ModifyReg(dev, kVideoControl, kVideoEnable, 0);
  Anx9805ModifyReg(dev, kVideoControl, 0, 0x04);
  for (uint32_t reg = kVideoMapFirst; reg <= kVideoMapLast; ++reg) Anx9805SetRegDW(dev, static_cast<uint8_t>(reg), 0);
  if (bDpMode) {
    WriteBitMap(dev, kDpBitMap);
  } else {
    WriteBitMap(dev, kHdmiBitMap);
  }
  Anx9805ModifyReg(dev, 0x0A, 0, 0x0E);
  Anx9805SetRegDW(dev, kVideoOutput, bDpMode ? 0x20 : 0x10);
  Anx9805SetRegDW(dev, kVideoControl, kVideoEnable | 0x05);
  SetDpVideoOn(dev, true);
  return true;
}

bool DpEnableAudio(UsbDevice* dev, bool bDpMode) {
  if (!SetupAudioAddress(dev, bDpMode)) return false;
  Anx9805SetRegDW(dev, bDpMode ? kDpAudioControl : kHdmiAudioEnable, 0);

  if (!Anx9805i2cSetup(dev, kSystemAddress)) {
    Anx9805ShowRegs(dev);
    return false;
  }
  Anx9805SetRegDW(dev, kSpdifControl, 0x80);
  ReportSpdifInput(dev);  // informative only: audio is enabled either way

  if (!SetupAudioAddress(dev, bDpMode)) return false;
  if (bDpMode) {
    Anx9805SetRegDW(dev, kDpAudioControl, 1);
  } else {
    DevPrintf(dev, "NOTE: HDMI audio needs the S/PDIF input of the ANX9805 fitted on the board\n");
    Anx9805SetRegDW(dev, kHdmiAudioControl, 1);
    Anx9805SetRegDW(dev, kHdmiAudioEnable, 0x80);
  }
  return true;
}

}  // namespace zev
