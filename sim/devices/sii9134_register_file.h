#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace zev::sim {

// The SiI9134 register map (0x000 - 0x1FF) as one model serves both the external chip
// and the Voskar's internal transmitter: plain byte registers plus the ones with
// behaviour, and the transmitter state decoded from them for tests.
//   read-only: identity (0x000 - 0x004); HW_SPDIF_FS (0x118), the IEC 60958 frequency
//     code of the S/PDIF input (0 44.1, 2 48, 3 32 kHz, ..., 1 no signal);
//     CTS_HVAL1..3 (0x109 - 0x10B), the cycle time stamp the chip measures while audio
//     runs: TMDS clock * N / (128 * Fs); DDC_STS (0x0F2), set by whoever drives the DDC.
//   AUD_MODE (0x114): bit 0 audio on, bit 1 S/PDIF input, bit 4 I2S input.
//   SYS_CTRL1 (0x008) bit 0 powered up; PB_CTRL1 (0x13E) bit 0 AVI and bit 4 audio
//   infoframe sent (bits 1 and 5 repeat them every frame).
class Sii9134RegisterFile {
 public:
  static constexpr uint32_t kRegisters = 0x200;
  static constexpr uint32_t kPacketBytes = 31;

  struct Identity {
    uint8_t vidLo, vidHi, didLo, didHi, rev;
  };
  // What the chip sees around it; unset functions read as 0 (no clock, no signal).
  struct Environment {
    std::function<uint64_t()> tmdsClockHz;
    std::function<uint32_t()> i2sRateHz;    // the I2S input's sampling rate
    std::function<uint32_t()> spdifRateHz;  // the S/PDIF input's sampling rate
  };

  explicit Sii9134RegisterFile(Identity identity);
  void SetEnvironment(Environment environment) { env_ = std::move(environment); }
  void Reset();

  // Bus side: `reg` below kRegisters.
  uint8_t Read(uint32_t reg) const;
  void Write(uint32_t reg, uint8_t value);
  // The byte stored, without behaviour; Poke also sets read-only registers.
  uint8_t Peek(uint32_t reg) const { return bytes_.at(reg); }
  void Poke(uint32_t reg, uint8_t value) { bytes_.at(reg) = value; }

  // Transmitter state.
  enum class AudioInput { None, Spdif, I2s };
  bool PoweredUp() const;
  bool AudioEnabled() const;
  AudioInput Input() const;
  uint32_t N() const;         // N_SVAL1..3
  uint32_t MclkCode() const;  // register 0x102
  uint32_t Cts() const;       // 0 while audio is off or a clock is missing
  uint32_t InputRateHz() const;
  uint8_t HwSpdifFsCode() const;
  bool AviInfoFrameSent() const;
  bool AudioInfoFrameSent() const;
  // The 31 bytes of the packet area starting at `first` (0x140, 0x180 or 0x1C0) and the
  // writes into it since reset.
  std::array<uint8_t, kPacketBytes> Packet(uint32_t first) const;
  uint64_t PacketWrites(uint32_t first) const;
  uint64_t writes() const { return writes_; }

 private:
  Identity identity_;
  Environment env_;
  std::array<uint8_t, kRegisters> bytes_{};
  std::array<uint64_t, 3> packetWrites_{};
  uint64_t writes_ = 0;
};

}  // namespace zev::sim
