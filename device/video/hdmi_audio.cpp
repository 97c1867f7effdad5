#include "device/video/hdmi_audio.h"

#include <cstdio>

#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/video/hdmi_internal.h"
#include "device/video/sii9134_registers.h"

namespace zev {
namespace {

constexpr uint32_t kSettleMs = 15;

// The I2S meter's activity count (AUDIO_FREQ0 bits 15:0) after it had time to measure.
bool MeasureActivity(UsbDevice* dev, uint32_t* activity) {
  Sleep(kSettleMs);
  uint32_t freq0 = 0;
  if (!GfxGetRegDWBool(dev, AUDIO_FREQ0, &freq0)) return false;
  *activity = freq0 & 0xFFFF;
  return true;
}

// 44 or 48 for an AUDIO_FREQ0 word whose word-select rate is 43-45 or 47-49 kHz; else 0.
uint32_t TrackedFs(uint32_t freq0) {
  if (freq0 >= 0x2B0000 && freq0 <= 0x2DFFFF) return 44;
  if (freq0 >= 0x2F0000 && freq0 <= 0x31FFFF) return 48;
  return 0;
}

}  // namespace

uint32_t HdmiAudioDetectSource(UsbDevice* dev) {
  constexpr uint32_t kOnFailure = AUDIO_I2S0;
  if (dev == nullptr || dev->ctx == nullptr) return kOnFailure;
  uint32_t audMode = 0, spdifCtrl = 0, led = 0, gpio = 0, cfg = 0;
  if (!HdmiIntGetReg(dev, SII9134_AUD_MODE, &audMode) || !HdmiIntGetReg(dev, SII9134_SPDIF_CTRL, &spdifCtrl) ||
      !GfxGetRegDWBool(dev, LED_CFG0, &led) || !GfxGetRegDWBool(dev, GPIO_ENABLE, &gpio) ||
      !GfxGetRegDWBool(dev, AUDIO_CFG, &cfg)) {
    return kOnFailure;
  }
  uint32_t i2s0 = 0, i2s1 = 0;
  const bool measured = HdmiIntSetRegs(dev, {{SII9134_AUD_MODE, 0x10}, {SII9134_SPDIF_CTRL, 2}}) &&
                        GfxSetRegDWBool(dev, LED_CFG0, led & ~1u) &&
                        GfxSetRegDWBool(dev, GPIO_ENABLE, gpio | 0x1000001) && GfxSetRegDWBool(dev, AUDIO_CFG, 3) &&
                        MeasureActivity(dev, &i2s0) && GfxSetRegDWBool(dev, AUDIO_CFG, 0x13) &&
                        MeasureActivity(dev, &i2s1);
  if (!measured) return kOnFailure;
  const uint32_t source = i2s0 != 0 ? AUDIO_I2S0 : i2s1 != 0 ? AUDIO_I2S1 : AUDIO_SPDIF;

  const bool restored = HdmiIntSetRegs(dev, {{SII9134_AUD_MODE, audMode}, {SII9134_SPDIF_CTRL, spdifCtrl}}) &&
                        GfxSetRegDWBool(dev, LED_CFG0, led) && GfxSetRegDWBool(dev, GPIO_ENABLE, gpio) &&
                        GfxSetRegDWBool(dev, AUDIO_CFG, cfg);
  if (!restored) return kOnFailure;
  dev->ctx->gHdmiAudio.bAudioSource = static_cast<uint8_t>(source);
  return source;
}

bool HdmiSetChannelStatusFs(UsbDevice* dev, uint32_t fsKHz) {
  if (fsKHz == 44) return HdmiIntSetRegs(dev, {{SII9134_I2S_CHST4, 0}, {SII9134_I2S_CHST5, 2}});
  return HdmiIntSetRegs(dev, {{SII9134_I2S_CHST4, 2}, {SII9134_I2S_CHST5, 0x22}});
}

uint32_t HdmiAudioN(const UsbDevice* dev, uint8_t bNSval, uint32_t fsKHz) {
  if (IsUtilityVariant(dev)) return bNSval == 1 ? 6272 : bNSval == 2 ? 6144 : 4096;
  if (bNSval == 1) return fsKHz == 44 ? 6272 : 6144;
  return 4096;
}

void HdmiAudioTrackFs(UsbDevice* dev) {
  if (dev == nullptr || dev->ctx == nullptr) return;
  LibContext& ctx = *dev->ctx;
  if (ctx.gHdmiAudio.bAudioSource == AUDIO_SPDIF || ctx.gHdmiAudio.bFsMode != I2S_FS_AUTO) return;
  const uint32_t fs = TrackedFs(GfxGetRegDW(dev, AUDIO_FREQ0));  // a failed read is outside both bands
  if (fs == 0 || fs == ctx.dwAudioFs) return;

  char text[64];
  std::snprintf(text, sizeof text, "Fs Changed old=%d new=%d\n\n", static_cast<int>(ctx.dwAudioFs),
                static_cast<int>(fs));
  ctx.szFsStatus = text;
  ctx.dwAudioFs = fs;
  HdmiSetChannelStatusFs(dev, fs);
}

}  // namespace zev
