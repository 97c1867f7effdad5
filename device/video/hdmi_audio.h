#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// Audio input of the internal transmitter.

// Which input carries a signal: AUDIO_I2S0 when I2S input 0 shows activity, else
// AUDIO_I2S1 when input 1 does, else AUDIO_SPDIF. The registers it changes to measure are
// restored and the result is stored in gHdmiAudio. A failed transfer stops it with
// AUDIO_I2S0 (not stored).
uint32_t HdmiAudioDetectSource(UsbDevice* dev);

// Follows a change of the I2S sampling frequency while audio runs with a detected
// frequency: a new 44.1 or 48 kHz rate updates dwAudioFs and the channel status and
// leaves "Fs Changed old=.. new=.." in szFsStatus for the utility to log.
void HdmiAudioTrackFs(UsbDevice* dev);

// Channel status bytes 4 and 5 announcing 44.1 kHz (`fsKHz` 44) or 48 kHz.
bool HdmiSetChannelStatusFs(UsbDevice* dev, uint32_t fsKHz);

// The audio clock regeneration value N for the N choice `bNSval` at `fsKHz`. The
// library's choice 1 follows the frequency (6272 at 44.1, 6144 at 48 kHz); the
// utility's choices are fixed (1: 6272, 2: 6144). Anything else is 4096.
uint32_t HdmiAudioN(const UsbDevice* dev, uint8_t bNSval, uint32_t fsKHz);

}  // namespace zev
