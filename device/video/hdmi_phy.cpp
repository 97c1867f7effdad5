#include "device/video/hdmi_phy.h"

#include <array>

#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/video/hdmi_audio.h"
#include "device/video/hdmi_cea.h"
#include "device/video/hdmi_internal.h"
#include "device/video/hdmi_reg_util.h"
#include "device/video/sii9134_phy.h"
#include "device/video/sii9134_registers.h"

namespace zev {
namespace {

constexpr uint8_t kMaxMclk = 8;  // 192 * Fs

bool IsAudioPort(uint32_t port) { return port == DC_PORT_HDMI_AV || port == DC_PORT_HDMI_AV_I2S; }
bool IsI2sSource(uint32_t source) { return source == AUDIO_I2S0 || source == AUDIO_I2S1; }

// Settings that would program an undefined input or MCLK ratio are refused up front.
bool ValidAudioSettings(UsbDevice* dev, const HdmiAudioSettings& s) {
  if (s.bAudioSource > AUDIO_AUTO_DETECT) {
    DevPrintf(dev, "ERROR:  HdmiPhyEnable() bad bAudioSource=%d, s/b 0-3\n", s.bAudioSource);
    return false;
  }
  if (s.bMclk > kMaxMclk) {
    DevPrintf(dev, "ERROR:  HdmiPhyEnable() bad bMclk=%d, s/b 0-8\n", s.bMclk);
    return false;
  }
  return true;
}

bool EnableVideo(UsbDevice* dev) {
  return GfxSetRegDWBool(dev, HDMI_CFG, 1) &&
         HdmiIntSetRegs(dev, {{SII9134_REG_005, 1},
                              {SII9134_TEST_TXCTRL, 0},
                              {SII9134_REG_08A, 4},
                              {SII9134_REG_089, 0x40},
                              {SII9134_REG_080, 0x11},
                              {SII9134_TMDS_CTRL, 0x20},
                              {SII9134_TMDS_CTRL2, 0x1B},
                              {SII9134_TMDS_CTRL3, 0x19},
                              {SII9134_TMDS_CTRL4, 0x11},
                              {SII9134_REG_086, 3},
                              {SII9134_REG_03E, 0},
                              {SII9134_REG_048, 0},
                              {SII9134_SYS_CTRL1, 0x35},
                              {SII9134_DPD, 0x8F}});
}

bool WriteAudioInfoFrame(UsbDevice* dev) {
  return HdmiIntClearPacket(dev, SII9134_AUDIO_INFOFRAME) &&
         HdmiIntSetBytes(dev, SII9134_AUDIO_INFOFRAME, kHdmiAudioInfoFrame);
}

// AVI and audio infoframes, or (suppressed) an empty third packet instead.
bool WriteInfoFrames(UsbDevice* dev, const DmtMode& mode, bool suppression) {
  if (suppression) {
    return HdmiIntClearPacket(dev, SII9134_GENERIC_PACKET) &&
           HdmiIntSetRegs(dev, {{SII9134_REG_12F, 0x21}, {SII9134_PB_CTRL2, 3}});
  }
  const uint32_t vic = HdmiCeaVic(mode.dwWidth, mode.dwHeight, mode.dwRefresh);
  const std::array<uint8_t, 9> avi{0x82, 0x02, 0x0D, HdmiAviChecksum(vic), 0, 0x08, 0, static_cast<uint8_t>(vic), 0};
  return HdmiIntClearPacket(dev, SII9134_AVI_INFOFRAME) && HdmiIntClearPacket(dev, SII9134_AUDIO_INFOFRAME) &&
         HdmiIntSetBytes(dev, SII9134_AVI_INFOFRAME, avi) &&
         HdmiIntSetBytes(dev, SII9134_AUDIO_INFOFRAME, kHdmiAudioInfoFrame) &&
         HdmiIntSetRegs(dev, {{SII9134_REG_12F, 0x21}, {SII9134_PB_CTRL1, 0x11}});
}

// I2S input 0 or 1; the sampling frequency (kHz) measured or forced is stored.
bool SetUpI2s(UsbDevice* dev, uint32_t source, bool suppression, uint32_t* fs) {
  LibContext& ctx = *dev->ctx;
  const bool second = source == AUDIO_I2S1;
  if (!HdmiIntSetRegs(dev, {{SII9134_AUD_MODE, 0x10}, {SII9134_SPDIF_CTRL, 2}}) ||
      !HdmiUpdateChipReg(dev, LED_CFG0, 1, 0) || !GfxSetRegDWBool(dev, AUDIO_CFG, second ? 0x13 : 3) ||
      !HdmiUpdateChipReg(dev, GPIO_ENABLE, 0, second ? 1u << 24 : 1u)) {
    return false;
  }
  Sleep(10);
  uint32_t freq0 = 0, freq1 = 0;
  if (!GfxGetRegDWBool(dev, AUDIO_FREQ0, &freq0) || !GfxGetRegDWBool(dev, AUDIO_FREQ1, &freq1)) return false;
  const uint32_t wordSelectKHz = freq0 >> 16;
  *fs = wordSelectKHz >= 47 && wordSelectKHz <= 49 ? 48 : 44;
  if (ctx.gHdmiAudio.bFsMode == I2S_FS_44_1) *fs = 44;
  if (ctx.gHdmiAudio.bFsMode == I2S_FS_48) *fs = 48;
  ctx.dwAudioFs = *fs;
  ctx.dwAudioFsAtSetup = *fs;

  if (!HdmiIntSetRegs(dev, {{SII9134_REG_124, 0x92}, {SII9134_I2S_CHST0, 0}}) || !HdmiSetChannelStatusFs(dev, *fs) ||
      !HdmiIntSetReg(dev, SII9134_I2S_IN_CTRL, 0x40)) {
    return false;
  }
  if (suppression) return WriteAudioInfoFrame(dev) && HdmiIntSetReg(dev, SII9134_PB_CTRL1, 0x30);
  return HdmiIntSetBits(dev, SII9134_PB_CTRL1, 0x10);
}

// S/PDIF input; the sampling frequency (kHz) the transmitter detects on it.
bool SetUpSpdif(UsbDevice* dev, uint32_t* fs) {
  uint32_t code = 0;
  if (!HdmiUpdateChipReg(dev, AUDIO_CFG, 1, 0) ||
      !HdmiIntSetRegs(dev, {{SII9134_AUD_MODE, 2}, {SII9134_SPDIF_CTRL, 0}}) ||
      !HdmiIntGetReg(dev, SII9134_HW_SPDIF_FS, &code)) {
    return false;
  }
  *fs = (code & 0xF) == 2 ? 48 : 44;
  return true;
}

// Infoframes, input, sampling frequency, N and MCLK ratio; the source used is stored.
bool EnableAudio(UsbDevice* dev, const DmtMode& mode, bool suppression, uint32_t* source) {
  const HdmiAudioSettings& s = dev->ctx->gHdmiAudio;
  if (!WriteInfoFrames(dev, mode, suppression) ||
      !HdmiIntSetRegs(dev, {{SII9134_REG_00D, 2}, {SII9134_AUD_MODE, 0}})) {
    return false;
  }
  *source = s.bAudioSource == AUDIO_AUTO_DETECT ? HdmiAudioDetectSource(dev) : s.bAudioSource;
  uint32_t fs = 44;
  const bool input = IsI2sSource(*source) ? SetUpI2s(dev, *source, suppression, &fs) : SetUpSpdif(dev, &fs);
  if (!input) return false;

  const uint32_t n = HdmiAudioN(dev, s.bNSval, fs);
  const uint32_t mclkCode = s.bMclk == 0 ? 1 : s.bMclk - 1u;
  if (!HdmiIntSetRegs(dev, {{SII9134_N_SVAL1, n & 0xFF},
                            {SII9134_N_SVAL2, (n >> 8) & 0xFF},
                            {SII9134_N_SVAL3, (n >> 16) & 0xFF},
                            {SII9134_MCLK_RATIO, mclkCode}})) {
    return false;
  }
  Sleep(6);
  return HdmiIntSetBits(dev, SII9134_AUD_MODE, 1) && HdmiIntSetReg(dev, SII9134_REG_00D, 0);
}

// Packet repetition once the set-up is done.
bool StartPackets(UsbDevice* dev, uint32_t port, bool suppression, uint32_t source) {
  if (!suppression) return HdmiIntSetBits(dev, SII9134_PB_CTRL1, 0x22);
  if (IsI2sSource(source) && !HdmiIntSetReg(dev, SII9134_PB_CTRL1, 0x30)) return false;
  return !IsAudioPort(port) || HdmiIntSetReg(dev, SII9134_PB_CTRL2, 3);
}

// FPGA boards: the external chip carries the video the internal block produces.
bool EnableExternalVideo(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp) {
  return SiI9134PhyEnable(dev, mode, dwBpp, DC_PORT_HDMI) && SiI9134IsoEnable(dev) &&
         HdmiIntSetReg(dev, SII9134_TEST_TXCTRL, 8);
}

bool IsFpgaBoard(const UsbDevice* dev) { return dev->fpgaRev != 0; }

}  // namespace

bool HdmiPhyEnable(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp, uint32_t port) {
  if (dev == nullptr || dev->ctx == nullptr) return false;
  bool internal = false;
  if (!HdmiIsInternal(dev, &internal)) return false;
  if (!internal) return SiI9134PhyEnable(dev, mode, dwBpp, port);

  const HdmiAudioSettings& s = dev->ctx->gHdmiAudio;
  const bool audio = IsAudioPort(port);
  if (audio && !ValidAudioSettings(dev, s)) return false;
  const bool suppression = s.bSuppression == 1;
  if (!EnableVideo(dev)) return false;
  uint32_t source = s.bAudioSource;
  if (audio && !EnableAudio(dev, mode, suppression, &source)) return false;
  if (!HdmiIntSetReg(dev, SII9134_REG_005, 0) || !StartPackets(dev, port, suppression, source)) return false;
  return !IsFpgaBoard(dev) || EnableExternalVideo(dev, mode, dwBpp);
}

bool HdmiPhyDisable(UsbDevice* dev) {
  if (dev == nullptr) return false;
  bool internal = false;
  if (!HdmiIsInternal(dev, &internal)) return false;
  if (!internal) return SiI9134PhyDisable(dev);
  if (IsFpgaBoard(dev) && (!SiI9134IsoDisable(dev) || !SiI9134PhyDisable(dev))) return false;
  return HdmiIntSetRegs(dev, {{SII9134_SYS_CTRL1, 0x34},
                              {SII9134_AUD_MODE, 0},
                              {SII9134_REG_12F, 0},
                              {SII9134_PB_CTRL1, 0},
                              {SII9134_PB_CTRL2, 0}}) &&
         GfxSetRegDWBool(dev, HDMI_CFG, 0);
}

}  // namespace zev
