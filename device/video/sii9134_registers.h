#pragma once

#include <cstdint>

// The SiI9134 register map, shared by the external SiI9134 and the chip's internal
// transmitter. Registers are numbered 0x000 - 0x1FF: page 0 (0x000 - 0x0FF) answers at
// I2C address 0x76, page 1 (0x100 - 0x1FF) at 0x7E. The internal block adds the
// registers of its I2C sequencer (the HDMI assist) at 0x300 - 0x304.
namespace zev {

inline constexpr uint32_t SII9134_VID_LO = 0x000;
inline constexpr uint32_t SII9134_VID_HI = 0x001;
inline constexpr uint32_t SII9134_DID_LO = 0x002;
inline constexpr uint32_t SII9134_DID_HI = 0x003;
inline constexpr uint32_t SII9134_REV = 0x004;
inline constexpr uint32_t SII9134_SYS_CTRL1 = 0x008;
inline constexpr uint32_t SII9134_SYS_STAT = 0x009;
inline constexpr uint32_t SII9134_INTR_1 = 0x071;
inline constexpr uint32_t SII9134_INTR_2 = 0x072;
inline constexpr uint32_t SII9134_INTR_3 = 0x073;
inline constexpr uint32_t SII9134_TMDS_CTRL = 0x082;
inline constexpr uint32_t SII9134_TMDS_CTRL2 = 0x083;
inline constexpr uint32_t SII9134_TMDS_CTRL3 = 0x084;
inline constexpr uint32_t SII9134_TMDS_CTRL4 = 0x085;
inline constexpr uint32_t SII9134_DDC_ADDR = 0x0ED;
inline constexpr uint32_t SII9134_DDC_SEGM = 0x0EE;
inline constexpr uint32_t SII9134_DDC_OFFSET = 0x0EF;
inline constexpr uint32_t SII9134_DDC_CNTLO = 0x0F0;
inline constexpr uint32_t SII9134_DDC_CNTHI = 0x0F1;
inline constexpr uint32_t SII9134_DDC_STS = 0x0F2;
inline constexpr uint32_t SII9134_DDC_CMD = 0x0F3;
inline constexpr uint32_t SII9134_DDC_DATA = 0x0F4;
inline constexpr uint32_t SII9134_DDC_FIFOCT = 0x0F5;
inline constexpr uint32_t SII9134_ACR_CTRL = 0x101;
inline constexpr uint32_t SII9134_MCLK_RATIO = 0x102;  // MCLK as a multiple of Fs (code)
inline constexpr uint32_t SII9134_N_SVAL1 = 0x103;
inline constexpr uint32_t SII9134_N_SVAL2 = 0x104;
inline constexpr uint32_t SII9134_N_SVAL3 = 0x105;
inline constexpr uint32_t SII9134_CTS_HVAL1 = 0x109;
inline constexpr uint32_t SII9134_CTS_HVAL2 = 0x10A;
inline constexpr uint32_t SII9134_CTS_HVAL3 = 0x10B;
inline constexpr uint32_t SII9134_AUD_MODE = 0x114;
inline constexpr uint32_t SII9134_SPDIF_CTRL = 0x115;
inline constexpr uint32_t SII9134_HW_SPDIF_FS = 0x118;
inline constexpr uint32_t SII9134_SPDIF_ERTH = 0x11B;
inline constexpr uint32_t SII9134_I2S_IN_CTRL = 0x11D;
inline constexpr uint32_t SII9134_I2S_CHST0 = 0x11E;
inline constexpr uint32_t SII9134_I2S_CHST2 = 0x120;
inline constexpr uint32_t SII9134_I2S_CHST4 = 0x121;
inline constexpr uint32_t SII9134_I2S_CHST5 = 0x122;
inline constexpr uint32_t SII9134_AUD_TXSTAT = 0x130;
inline constexpr uint32_t SII9134_TEST_TXCTRL = 0x13C;
inline constexpr uint32_t SII9134_DPD = 0x13D;
inline constexpr uint32_t SII9134_PB_CTRL1 = 0x13E;
inline constexpr uint32_t SII9134_PB_CTRL2 = 0x13F;

// Registers the set-up writes by number only; the values written are all that is known
// about them.
inline constexpr uint32_t SII9134_REG_005 = 0x005;
inline constexpr uint32_t SII9134_REG_00D = 0x00D;
inline constexpr uint32_t SII9134_REG_03E = 0x03E;
inline constexpr uint32_t SII9134_REG_048 = 0x048;
inline constexpr uint32_t SII9134_REG_080 = 0x080;
inline constexpr uint32_t SII9134_REG_086 = 0x086;
inline constexpr uint32_t SII9134_REG_089 = 0x089;
inline constexpr uint32_t SII9134_REG_08A = 0x08A;
inline constexpr uint32_t SII9134_REG_124 = 0x124;
inline constexpr uint32_t SII9134_REG_12F = 0x12F;

// Packet areas, 31 bytes each: the AVI infoframe, the audio infoframe and a third packet.
inline constexpr uint32_t kSii9134PacketBytes = 31;
inline constexpr uint32_t SII9134_AVI_INFOFRAME = 0x140;
inline constexpr uint32_t SII9134_AUDIO_INFOFRAME = 0x180;
inline constexpr uint32_t SII9134_GENERIC_PACKET = 0x1C0;

// The audio infoframe both transmitters send: type 0x84, version 1, length 10, then
// 2 channels (0x70 as the transmitter expects it) and the speaker allocation byte 1.
inline constexpr uint8_t kHdmiAudioInfoFrame[] = {0x84, 0x01, 0x0A, 0x70, 0x01};

// I2C addresses (8-bit form) of the external chip's two register pages.
inline constexpr uint8_t kSii9134Page0Address = 0x76;  // TAR: registers 0x000 - 0x0FF
inline constexpr uint8_t kSii9134Page1Address = 0x7E;  // TAR2: registers 0x100 - 0x1FF
inline constexpr uint32_t kSii9134Page1First = 0x100;

// The internal block's identity in SII9134_DID_HI / SII9134_DID_LO.
inline constexpr uint8_t kHdmiInternalDidHi = 0x97;
inline constexpr uint8_t kHdmiInternalDidLo = 0x36;

// The HDMI assist of the internal block: an I2C sequencer that reaches the external chip.
inline constexpr uint32_t HDMI_ASSIST_CMD = 0x300;     // command and status
inline constexpr uint32_t HDMI_ASSIST_TARGET = 0x301;  // register << 16 | 8-bit I2C address
inline constexpr uint32_t HDMI_ASSIST_DATA = 0x304;    // byte to write, byte read
inline constexpr uint32_t kHdmiAssistGo = 1u << 31;     // go; busy while set
inline constexpr uint32_t kHdmiAssistError = 1u << 27;  // in the completed word: the transfer failed
inline constexpr uint32_t kHdmiAssistWrite = 0x28000006;
inline constexpr uint32_t kHdmiAssistRead = 0x28000000;

}  // namespace zev
