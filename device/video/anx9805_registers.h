#pragma once

#include <cstdint>

// The Analogix ANX9805 DisplayPort/HDMI transmitter: its three I2C addresses (8-bit
// write form) and the byte registers the library gives a role to. Registers written
// only as part of a fixed set-up sequence are used by number where they are written.
namespace zev::anx9805 {

// DisplayPort link: DPCD access over the AUX channel, link training, DP audio.
inline constexpr uint8_t kDpAddress = 0x70;
// System: power and reset, video input, S/PDIF status.
inline constexpr uint8_t kSystemAddress = 0x72;
// HDMI mode: core reset, mode, DDC master, packets, HDMI audio.
inline constexpr uint8_t kHdmiAddress = 0x7A;

// 0x70: AUX channel (DPCD) access.
inline constexpr uint8_t kAuxByteCount = 0xE4;  // bits 4:0 bytes received
inline constexpr uint8_t kAuxCommand = 0xE5;    // bits 3:0 request, bits 7:4 length - 1
inline constexpr uint8_t kAuxAddress0 = 0xE6;   // DPCD address bits 7:0
inline constexpr uint8_t kAuxAddress1 = 0xE7;   // bits 15:8
inline constexpr uint8_t kAuxAddress2 = 0xE8;   // bits 19:16
inline constexpr uint8_t kAuxControl = 0xE9;    // bit 0 start, reads 1 while busy
inline constexpr uint8_t kAuxData = 0xF0;       // data buffer 0xF0 - 0xFF
inline constexpr uint8_t kAuxCountMask = 0x1F;
inline constexpr uint8_t kAuxBusy = 0x01;
inline constexpr uint8_t kAuxNativeRead = 0x09;
inline constexpr uint8_t kAuxNativeWrite = 0x08;

// 0x70: hardware link training.
inline constexpr uint8_t kLinkBandwidthSet = 0xA0;  // DPCD link-rate code
inline constexpr uint8_t kLaneCountSet = 0xA1;      // DPCD lane-count byte
inline constexpr uint8_t kTrainingLane0Set = 0xA3;  // 0xA3 - 0xA6, one per lane
inline constexpr uint8_t kTrainingLane3Set = 0xA6;
inline constexpr uint8_t kLinkTraining = 0xA8;  // bit 0 start, reads 1 while training; 0 when trained
inline constexpr uint8_t kLinkStatus = 0xB0;    // bit 4 link PLL locked
inline constexpr uint8_t kTrainingBusy = 0x01;
inline constexpr uint8_t kPllLocked = 0x10;

// 0x70: DisplayPort audio.
inline constexpr uint8_t kDpAudioControl = 0x86;  // bit 0 enable

// 0x72: power, reset and video input.
inline constexpr uint8_t kPowerDown = 0x05;     // bit 7 whole chip, bit 0 DisplayPort link
inline constexpr uint8_t kReset = 0x06;         // bit 1 holds the chip in reset
inline constexpr uint8_t kVideoControl = 0x08;  // bit 7 video enable
inline constexpr uint8_t kVideoOutput = 0x09;   // 0x20 DisplayPort, 0x10 HDMI
inline constexpr uint8_t kVideoMapFirst = 0x40;  // input bit mapping, 0x40 - 0x6F
inline constexpr uint8_t kVideoMapLast = 0x6F;
inline constexpr uint8_t kPowerDownChip = 0x80;
inline constexpr uint8_t kPowerDownLink = 0x01;
inline constexpr uint8_t kResetChip = 0x02;
inline constexpr uint8_t kVideoEnable = 0x80;

// 0x72: S/PDIF input.
inline constexpr uint8_t kSpdifControl = 0x36;
inline constexpr uint8_t ANX9805_SPDIF_STS0 = 0x38;  // bit 7 clock detected, bit 0 audio detected
inline constexpr uint8_t ANX9805_SPDIF_STS1 = 0x39;
inline constexpr uint8_t kSpdifClockDetected = 0x80;
inline constexpr uint8_t kSpdifAudioDetected = 0x01;

// 0x7A: HDMI mode.
inline constexpr uint8_t kHdmiCoreReset = 0x00;
inline constexpr uint8_t kHdmiMode = 0x02;  // bit 1 HDMI rather than DVI
inline constexpr uint8_t kHdmiAudioControl = 0x08;
inline constexpr uint8_t kHdmiAudioEnable = 0x09;  // bit 7 enable
inline constexpr uint8_t kHdmiPacketControl = 0x64;
inline constexpr uint8_t kHdmiPacket0 = 0x70;  // 0x70 - 0x74

// 0x7A: DDC master (the monitor's EDID on the connector).
inline constexpr uint8_t kDdcDeviceAddress = 0x40;
inline constexpr uint8_t kDdcOffset = 0x41;
inline constexpr uint8_t kDdcSegment = 0x42;
inline constexpr uint8_t kDdcCommand = 0x43;
inline constexpr uint8_t kDdcCountLow = 0x44;
inline constexpr uint8_t kDdcCountHigh = 0x45;
inline constexpr uint8_t kDdcStatus = 0x46;  // bits 2:0 in progress / error, bit 4 done
inline constexpr uint8_t kDdcFifoData = 0x47;
inline constexpr uint8_t kDdcFifoCount = 0x48;
inline constexpr uint8_t kDdcSequentialRead = 0x01;  // commands
inline constexpr uint8_t kDdcAddressDevice = 0x05;
inline constexpr uint8_t kDdcClear = 0x06;
inline constexpr uint8_t kDdcInProgress = 0x01;  // status bits
inline constexpr uint8_t kDdcNoAcknowledge = 0x02;
inline constexpr uint8_t kDdcErrorMask = 0x07;
inline constexpr uint8_t kDdcDone = 0x10;

}  // namespace zev::anx9805
