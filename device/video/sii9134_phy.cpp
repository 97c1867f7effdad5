#include "device/video/sii9134_phy.h"

#include <initializer_list>

#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/video/hdmi_reg_util.h"
#include "device/video/sii9134_access.h"
#include "device/video/sii9134_registers.h"

namespace zev {
namespace {

constexpr uint32_t kMinPixClk = 25000000;

void SetRegs(UsbDevice* dev, std::initializer_list<HdmiRegValue> writes) {
  for (const HdmiRegValue& w : writes) SiI9134SetRegDW(dev, w.reg, w.value);
}

void ClearPacket(UsbDevice* dev, uint32_t first) {
  for (uint32_t reg = first; reg < first + kSii9134PacketBytes; ++reg) SiI9134SetRegDW(dev, reg, 0);
}

// Sets `bits` in a register of the chip; a failed read (already reported) writes nothing.
void SetBits(UsbDevice* dev, uint32_t reg, uint32_t bits) {
  const uint32_t value = SiI9134GetRegDW(dev, reg);
  if (value <= 0xFF) SiI9134SetRegDW(dev, reg, value | bits);
}

// TMDS_CTRL2 = A << 6 | 3 << 3 | B and TMDS_CTRL3 = 6 << 3 | C by pixel-clock band.
void SetTmds(UsbDevice* dev, uint32_t pixClk) {
  struct Band {
    uint32_t ctrl2, ctrl3, ctrl4;
  };
  const Band band = pixClk < 64000000 ? Band{0x98, 0x33, 0} : pixClk < 126000000 ? Band{0x59, 0x31, 1}
                                                                                : Band{0x1B, 0x30, 2};
  SetRegs(dev, {{SII9134_TMDS_CTRL2, band.ctrl2}, {SII9134_TMDS_CTRL3, band.ctrl3}, {SII9134_TMDS_CTRL4, band.ctrl4}});
}

// S/PDIF input; the sampling frequency in kHz the chip reports.
uint32_t SetUpSpdif(UsbDevice* dev) {
  HdmiUpdateChipReg(dev, AUDIO_CFG, 1, 0);
  DevPrintf(dev, "enable SPDIF\n");
  SetRegs(dev, {{SII9134_AUD_MODE, 2}, {SII9134_SPDIF_CTRL, 0}});
  const uint32_t code = SiI9134GetRegDW(dev, SII9134_HW_SPDIF_FS) & 0xF;
  if (code == 0) return 44;
  if (code == 2) return 48;
  DevPrintf(dev, "HW_SPDIF_FS, invalid value (not 44 or 48) %ld\n", static_cast<long>(code));
  DevPrintf(dev, "  At least the SW does not support it for now. See the PAS. Assume and force 44.1Khz\n");
  return 44;
}

// The sampling frequency in kHz for the I2S word-select rate the chip measured.
uint32_t MeasuredI2sFs(UsbDevice* dev, uint32_t freq0) {
  const uint32_t wordSelectKHz = freq0 >> 16;
  uint32_t fs = 44;
  if (wordSelectKHz >= 47 && wordSelectKHz <= 49) {
    fs = 48;
  } else if (wordSelectKHz < 43 || wordSelectKHz > 45) {
    DevPrintf(dev, "I2S WS freq, invalid value (not 43, 44, 45, 47, 48, or 49) %ld\n", static_cast<long>(wordSelectKHz));
    DevPrintf(dev, "  At least the SW does not support it for now. See the PAS. Assume and force 44.1Khz\n");
  }
  if ((freq0 & 0xFFFF) == 0) {
    DevPrintf(dev, "ERROR: Voskar failed to measure audio?\n");
    DevPrintf(dev, "BUGBUG 6/28/2010 build 125b forcing 44.1khz and SCLK 2800Khz\n");
    fs = 44;
  }
  return fs;
}

// I2S input from the chip, its channel status and the audio infoframe; the sampling
// frequency in kHz measured on the input.
uint32_t SetUpI2s(UsbDevice* dev) {
  SetRegs(dev, {{SII9134_AUD_MODE, 0x10}, {SII9134_SPDIF_CTRL, 2}});
  HdmiUpdateChipReg(dev, LED_CFG0, 1, 0);
  HdmiUpdateChipReg(dev, GPIO_ENABLE, 0, 1u << 24);
  GfxSetRegDW(dev, AUDIO_CFG, 3);
  DevPrintf(dev, "NOTE: I2S requires to measure the audio frequency when it's configured.\n");
  const uint32_t freq0 = GfxGetRegDW(dev, AUDIO_FREQ0);
  DevPrintf(dev, "BUGBUG I2S freq 0 0x%08lX\n", static_cast<unsigned long>(freq0));
  DevPrintf(dev, "BUGBUG I2S freq 1 0x%08lX\n", static_cast<unsigned long>(GfxGetRegDW(dev, AUDIO_FREQ1)));
  DevPrintf(dev, "BUGBUG I2S LED_CFG0 %08lX\n", static_cast<unsigned long>(GfxGetRegDW(dev, LED_CFG0)));
  DevPrintf(dev, "BUGBUG I2S AUDIO_CFG %08lX\n", static_cast<unsigned long>(GfxGetRegDW(dev, AUDIO_CFG)));
  DevPrintf(dev, "BUGBUG I2S SII9134_AUD_MODE %08lX\n",
            static_cast<unsigned long>(SiI9134GetRegDW(dev, SII9134_AUD_MODE)));
  const uint32_t fs = MeasuredI2sFs(dev, freq0);

  DevPrintf(dev, "BUGBUG 6/28/2010 build 126b forcing WORD 16 bit (original is 16 bit)\n");
  SetRegs(dev, {{SII9134_REG_124, 2},
                {SII9134_I2S_CHST5, 2},
                {SII9134_I2S_CHST0, 0x80},
                {SII9134_I2S_CHST4, 0},
                {SII9134_I2S_CHST5, 0xF2},
                {SII9134_I2S_CHST4, 0x0A}});
  DevPrintf(dev, "BUGBUG SII9134_I2S_IN_CTRL = 0x40 as in the sii code\n");
  SiI9134SetRegDW(dev, SII9134_I2S_IN_CTRL, 0x40);
  ClearPacket(dev, SII9134_AUDIO_INFOFRAME);
  uint32_t reg = SII9134_AUDIO_INFOFRAME;
  for (uint8_t byte : kHdmiAudioInfoFrame) SiI9134SetRegDW(dev, reg++, byte);
  SiI9134SetRegDW(dev, SII9134_PB_CTRL1, 0x30);
  return fs;
}

void DumpAudioState(UsbDevice* dev) {
  static constexpr struct {
    const char* label;  // the line up to its value
    uint32_t reg;
  } kLines[] = {
      {"After audio setup,   SII9134_SYS_CTRL1 = ", SII9134_SYS_CTRL1},
      {"After audio setup,         SII9134_DPD = ", SII9134_DPD},
      {"After audio setup,    SII9134_ACR_CTRL = ", SII9134_ACR_CTRL},
      {"After audio setup,     SII9134_N_SVAL1 = ", SII9134_N_SVAL1},
      {"After audio setup,     SII9134_N_SVAL2 = ", SII9134_N_SVAL2},
      {"After audio setup,     SII9134_N_SVAL3 = ", SII9134_N_SVAL3},
      {"After audio setup,   SII9134_CTS_HVAL1 = ", SII9134_CTS_HVAL1},
      {"After audio setup,   SII9134_CTS_HVAL2 = ", SII9134_CTS_HVAL2},
      {"After audio setup,   SII9134_CTS_HVAL3 = ", SII9134_CTS_HVAL3},
      {"After audio setup,  SII9134_AUD_MODE   = ", SII9134_AUD_MODE},
      {"After audio setup,  SII9134_SPDIF_CTRL = ", SII9134_SPDIF_CTRL},
      {"After audio setup, SII9134_HW_SPDIF_FS = ", SII9134_HW_SPDIF_FS},
      {"After audio setup, SII9134_PB_CTRL1    = ", SII9134_PB_CTRL1},
      {"After audio setup, SII9134_PB_CTRL2    = ", SII9134_PB_CTRL2},
      {"After audio setup, SII9134_I2S_CHST0   = ", SII9134_I2S_CHST0},
      {"After audio setup, SII9134_I2S_CHST2   = ", SII9134_I2S_CHST2},
      {"After audio setup, SII9134_I2S_CHST4   = ", SII9134_I2S_CHST4},
      {"After audio setup, SII9134_I2S_CHST5   = ", SII9134_I2S_CHST5},
      {"After audio setup, SII9134_INTR_1      = ", SII9134_INTR_1},
  };
  for (const auto& line : kLines) {
    DevPrintf(dev, "%s0x%02lX\n", line.label, static_cast<unsigned long>(SiI9134GetRegDW(dev, line.reg)));
  }
}

}  // namespace

bool SiI9134PhyEnable(UsbDevice* dev, const DmtMode& mode, uint32_t /*dwBpp*/, uint32_t port) {
  if (!SiI9134i2cSetup(dev)) {
    DevPrintf(dev, "ERROR:  SiI9134PhyEnable() failed calling SiI9134i2cSetup()\n");
    return false;
  }
  SetRegs(dev, {{SII9134_SYS_CTRL1, 0x37}, {SII9134_TMDS_CTRL, 0x25}});
  if (mode.dwPixClk < kMinPixClk) {
    DevPrintf(dev, "ERROR: SiI9134PhyEnable() can't set bad dwPixClk=%ld below 25 MHz\n",
              static_cast<long>(mode.dwPixClk));
    return false;
  }
  SetTmds(dev, mode.dwPixClk);
  if (port != DC_PORT_HDMI_AV && port != DC_PORT_HDMI_AV_I2S) return true;

  SetRegs(dev, {{SII9134_REG_086, 3}, {SII9134_DPD, 0x0F}});
  ClearPacket(dev, SII9134_GENERIC_PACKET);
  SetRegs(dev, {{SII9134_REG_12F, 0x21}, {SII9134_PB_CTRL2, 3}, {SII9134_REG_00D, 1}, {SII9134_AUD_MODE, 0}});
  const uint32_t audioFreq = port == DC_PORT_HDMI_AV ? SetUpSpdif(dev) : SetUpI2s(dev);

  DevPrintf(dev, "dwAudioFreq =%ld dmtMode->dwPixClk =%ld\n", static_cast<long>(audioFreq),
            static_cast<long>(mode.dwPixClk));
  DevPrintf(dev, "BUGBUG try 4096 for N, HP monitors are happy with this at higher pix clks w/ either FS\n");
  SetRegs(dev, {{SII9134_ACR_CTRL, 6},
                {SII9134_N_SVAL1, 0x00},
                {SII9134_N_SVAL2, 0x10},
                {SII9134_N_SVAL3, 0x00},
                {SII9134_MCLK_RATIO, 1}});
  Sleep(6);
  SetBits(dev, SII9134_AUD_MODE, 1);
  SiI9134SetRegDW(dev, SII9134_REG_00D, 0);
  DumpAudioState(dev);
  return true;
}

bool SiI9134PhyDisable(UsbDevice* dev) {
  if (!SiI9134i2cSetup(dev)) {
    DevPrintf(dev, "ERROR:  SiI9134PhyDisable() failed calling SiI9134i2cSetup()\n");
    return false;
  }
  SetRegs(dev, {{SII9134_SYS_CTRL1, 0x34},
                {SII9134_AUD_MODE, 0},
                {SII9134_REG_12F, 0},
                {SII9134_PB_CTRL1, 0},
                {SII9134_PB_CTRL2, 0}});
  GfxSetRegDW(dev, HDMI_CFG, 0);
  return true;
}

bool SiI9134IsoEnable(UsbDevice* dev) {
  if (!SiI9134i2cSetup(dev)) {
    DevPrintf(dev, "ERROR:  SiI9134IsoEnable() failed calling SiI9134i2cSetup()\n");
    return false;
  }
  SetRegs(dev, {{SII9134_SYS_CTRL1, 0x37}, {SII9134_TMDS_CTRL, 0x25}, {SII9134_TEST_TXCTRL, 4}});
  return true;
}

bool SiI9134IsoDisable(UsbDevice* dev) {
  if (!SiI9134i2cSetup(dev)) {
    DevPrintf(dev, "ERROR:  SiI9134IsoDisable() failed calling SiI9134i2cSetup()\n");
    return false;
  }
  SiI9134SetRegDW(dev, SII9134_TEST_TXCTRL, 0);
  return true;
}

}  // namespace zev
