#include "sim/devices/sii9134_register_file.h"

#include <stdexcept>

#include "device/video/sii9134_registers.h"

namespace zev::sim {
namespace {

constexpr uint8_t kAudioOn = 1u << 0;
constexpr uint8_t kSpdifInput = 1u << 1;
constexpr uint8_t kI2sInput = 1u << 4;
constexpr uint8_t kSpdifNoSignal = 1;

bool IsReadOnly(uint32_t reg) {
  return reg <= SII9134_REV || reg == SII9134_DDC_STS || reg == SII9134_HW_SPDIF_FS ||
         (reg >= SII9134_CTS_HVAL1 && reg <= SII9134_CTS_HVAL3);
}

// Index of the packet area holding `reg`, or -1.
int PacketArea(uint32_t reg) {
  for (int i = 0; i < 3; ++i) {
    const uint32_t first = SII9134_AVI_INFOFRAME + 0x40u * static_cast<uint32_t>(i);
    if (reg >= first && reg < first + Sii9134RegisterFile::kPacketBytes) return i;
  }
  return -1;
}

// Index of the packet area that starts at `first`, or -1.
int PacketStart(uint32_t first) {
  const int area = PacketArea(first);
  return area >= 0 && first == SII9134_AVI_INFOFRAME + 0x40u * static_cast<uint32_t>(area) ? area : -1;
}

uint64_t Call(const std::function<uint64_t()>& f) { return f ? f() : 0; }
uint32_t Call(const std::function<uint32_t()>& f) { return f ? f() : 0; }

}  // namespace

Sii9134RegisterFile::Sii9134RegisterFile(Identity identity) : identity_(identity) { Reset(); }

void Sii9134RegisterFile::Reset() {
  bytes_.fill(0);
  bytes_[SII9134_VID_LO] = identity_.vidLo;
  bytes_[SII9134_VID_HI] = identity_.vidHi;
  bytes_[SII9134_DID_LO] = identity_.didLo;
  bytes_[SII9134_DID_HI] = identity_.didHi;
  bytes_[SII9134_REV] = identity_.rev;
  packetWrites_.fill(0);
  writes_ = 0;
}

uint8_t Sii9134RegisterFile::Read(uint32_t reg) const {
  if (reg >= kRegisters) throw std::out_of_range("SiI9134 register number");
  switch (reg) {
    case SII9134_HW_SPDIF_FS:
      return HwSpdifFsCode();
    case SII9134_CTS_HVAL1:
      return static_cast<uint8_t>(Cts());
    case SII9134_CTS_HVAL2:
      return static_cast<uint8_t>(Cts() >> 8);
    case SII9134_CTS_HVAL3:
      return static_cast<uint8_t>((Cts() >> 16) & 0x0F);
    default:
      return bytes_[reg];
  }
}

void Sii9134RegisterFile::Write(uint32_t reg, uint8_t value) {
  if (reg >= kRegisters) throw std::out_of_range("SiI9134 register number");
  ++writes_;
  if (const int area = PacketArea(reg); area >= 0) ++packetWrites_[static_cast<size_t>(area)];
  if (!IsReadOnly(reg)) bytes_[reg] = value;
}

bool Sii9134RegisterFile::PoweredUp() const { return (bytes_[SII9134_SYS_CTRL1] & 1) != 0; }

bool Sii9134RegisterFile::AudioEnabled() const { return (bytes_[SII9134_AUD_MODE] & kAudioOn) != 0; }

Sii9134RegisterFile::AudioInput Sii9134RegisterFile::Input() const {
  const uint8_t mode = bytes_[SII9134_AUD_MODE];
  if ((mode & kSpdifInput) != 0) return AudioInput::Spdif;
  if ((mode & kI2sInput) != 0) return AudioInput::I2s;
  return AudioInput::None;
}

uint32_t Sii9134RegisterFile::N() const {
  return bytes_[SII9134_N_SVAL1] | bytes_[SII9134_N_SVAL2] << 8 | (bytes_[SII9134_N_SVAL3] & 0x0F) << 16;
}

uint32_t Sii9134RegisterFile::MclkCode() const { return bytes_[SII9134_MCLK_RATIO]; }

uint32_t Sii9134RegisterFile::InputRateHz() const {
  switch (Input()) {
    case AudioInput::Spdif:
      return Call(env_.spdifRateHz);
    case AudioInput::I2s:
      return Call(env_.i2sRateHz);
    case AudioInput::None:
      break;
  }
  return 0;
}

uint32_t Sii9134RegisterFile::Cts() const {
  const uint64_t fs = InputRateHz();
  const uint64_t tmds = Call(env_.tmdsClockHz);
  if (!AudioEnabled() || fs == 0 || tmds == 0) return 0;
  return static_cast<uint32_t>((tmds * N() / (128 * fs)) & 0xFFFFF);
}

uint8_t Sii9134RegisterFile::HwSpdifFsCode() const {
  switch (Call(env_.spdifRateHz)) {
    case 44100:
      return 0;
    case 48000:
      return 2;
    case 32000:
      return 3;
    case 88200:
      return 8;
    case 96000:
      return 0xA;
    case 176400:
      return 0xC;
    case 192000:
      return 0xE;
    default:
      return kSpdifNoSignal;
  }
}

bool Sii9134RegisterFile::AviInfoFrameSent() const { return (bytes_[SII9134_PB_CTRL1] & 0x01) != 0; }

bool Sii9134RegisterFile::AudioInfoFrameSent() const { return (bytes_[SII9134_PB_CTRL1] & 0x10) != 0; }

std::array<uint8_t, Sii9134RegisterFile::kPacketBytes> Sii9134RegisterFile::Packet(uint32_t first) const {
  if (PacketStart(first) < 0) throw std::out_of_range("not the start of a packet area");
  std::array<uint8_t, kPacketBytes> packet{};
  for (uint32_t i = 0; i < kPacketBytes; ++i) packet[i] = bytes_[first + i];
  return packet;
}

uint64_t Sii9134RegisterFile::PacketWrites(uint32_t first) const {
  const int area = PacketStart(first);
  if (area < 0) throw std::out_of_range("not the start of a packet area");
  return packetWrites_[static_cast<size_t>(area)];
}

}  // namespace zev::sim
