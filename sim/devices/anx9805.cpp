#include "sim/devices/anx9805.h"

#include <stdexcept>

#include "device/video/anx9805_registers.h"
#include "sim/core/chip.h"
#include "sim/units/i2c_master_unit.h"

namespace zev::sim {
namespace {

using namespace zev::anx9805;

enum : size_t { kDp = 0, kSystem = 1, kHdmi = 2 };

constexpr uint8_t kPageAddresses[] = {kDpAddress, kSystemAddress, kHdmiAddress};

// DPCD of the sink at power-up: DPCD 1.1, 2.7 Gbit/s, 4 lanes with enhanced framing,
// down-spread supported.
constexpr uint8_t kDpcdRevision = 0x11;
constexpr uint8_t kDefaultLinkRate = 0x0A;
constexpr uint8_t kDefaultLaneCount = 0x84;
constexpr uint32_t kDpcdLinkBwSet = 0x100;
constexpr uint32_t kDpcdLaneCountSet = 0x101;
constexpr uint32_t kDpcdLane01Status = 0x202;
constexpr uint32_t kDpcdLane23Status = 0x203;
constexpr uint32_t kDpcdAlignStatus = 0x204;
constexpr uint8_t kLanePairTrained = 0x77;  // clock recovery, equalisation, symbol lock on both

constexpr uint8_t kLaneCountMask = 0x1F;
constexpr uint32_t kAuxBufferSize = 16;

bool IsLinkRate(uint8_t rate) { return rate == 0x06 || rate == 0x0A || rate == 0x14; }
bool IsLaneCount(uint8_t lanes) { return lanes == 1 || lanes == 2 || lanes == 4; }

}  // namespace

Anx9805::Anx9805(std::function<uint64_t()> nowUs)
    : time_(std::move(nowUs)),
      pages_{Page(*this, kDp), Page(*this, kSystem), Page(*this, kHdmi)},
      dpcd_(kDpcdSize, 0),
      ddc_(time_) {
  ResetChip();
  dpcd_[0x000] = kDpcdRevision;
  SetSinkCapabilities(kDefaultLinkRate, kDefaultLaneCount);
  dpcd_[0x003] = 0x01;
}

size_t Anx9805::IndexOf(uint8_t address) {
  for (size_t i = 0; i < std::size(kPageAddresses); ++i) {
    if (kPageAddresses[i] == address) return i;
  }
  throw std::out_of_range("the ANX9805 answers at 0x70, 0x72 and 0x7A only");
}

I2cTarget& Anx9805::Target(uint8_t address) { return pages_[IndexOf(address)]; }

bool Anx9805::Page::WriteRegister(uint8_t reg, uint8_t value) {
  device_.Write(index_, reg, value);
  return true;
}

std::optional<uint8_t> Anx9805::Page::ReadRegister(uint8_t reg) { return device_.Read(index_, reg); }

void Anx9805::ResetChip() {
  for (auto& page : regs_) page.fill(0);
  regs_[kSystem][kPowerDown] = kPowerDownChip;
  auxDoneAt_.reset();
  trainingDoneAt_.reset();
  trained_.reset();
  ddc_.Reset();
}

bool Anx9805::Powered() const {
  return (regs_[kSystem][kReset] & kResetChip) == 0 && (regs_[kSystem][kPowerDown] & kPowerDownChip) == 0;
}

bool Anx9805::LinkPowered() const { return Powered() && (regs_[kSystem][kPowerDown] & kPowerDownLink) == 0; }

bool Anx9805::VideoEnabled() const { return Powered() && (regs_[kSystem][kVideoControl] & kVideoEnable) != 0; }

bool Anx9805::DpAudioEnabled() const { return Powered() && (regs_[kDp][kDpAudioControl] & 0x01) != 0; }

bool Anx9805::HdmiAudioEnabled() const { return Powered() && (regs_[kHdmi][kHdmiAudioEnable] & 0x80) != 0; }

bool Anx9805::HdmiMode() const { return (regs_[kHdmi][kHdmiMode] & 0x02) != 0; }

uint8_t Anx9805::Peek(uint8_t address, uint8_t reg) const { return regs_[IndexOf(address)][reg]; }

void Anx9805::Poke(uint8_t address, uint8_t reg, uint8_t value) { regs_[IndexOf(address)][reg] = value; }

std::vector<Anx9805::RegisterWrite> Anx9805::WriteLog(uint8_t address) const {
  std::vector<RegisterWrite> writes;
  for (const RegisterWrite& w : log_) {
    if (w.address == address) writes.push_back(w);
  }
  return writes;
}

uint8_t Anx9805::PeekDpcd(uint32_t address) const { return address < dpcd_.size() ? dpcd_[address] : 0; }

void Anx9805::PokeDpcd(uint32_t address, uint8_t value) {
  if (address < dpcd_.size()) dpcd_[address] = value;
}

void Anx9805::SetSinkCapabilities(uint8_t maxLinkRate, uint8_t maxLaneCount) {
  dpcd_[0x001] = maxLinkRate;
  dpcd_[0x002] = maxLaneCount;
}

void Anx9805::Write(size_t page, uint8_t reg, uint8_t value) {
  log_.push_back({kPageAddresses[page], reg, value});
  Settle();
  if (page == kSystem && reg == kReset && (value & kResetChip) != 0) ResetChip();
  regs_[page][reg] = value;
  if (page == kDp && reg == kAuxControl && (value & kAuxBusy) != 0) StartAux();
  if (page == kDp && reg == kLinkTraining && (value & kTrainingBusy) != 0) StartTraining();
  if (page == kHdmi && reg == kDdcCommand) {
    const auto& hdmi = regs_[kHdmi];
    ddc_.Command(value, hdmi[kDdcDeviceAddress], hdmi[kDdcOffset],
                 static_cast<uint16_t>(hdmi[kDdcCountLow] | hdmi[kDdcCountHigh] << 8));
  }
}

uint8_t Anx9805::Read(size_t page, uint8_t reg) {
  Settle();
  if (page == kDp && reg == kLinkStatus) {
    const uint8_t locked = pllLocks && LinkPowered() ? kPllLocked : 0;
    return static_cast<uint8_t>((regs_[kDp][kLinkStatus] & ~kPllLocked) | locked);
  }
  if (page == kSystem && reg == ANX9805_SPDIF_STS0) {
    return static_cast<uint8_t>((spdifClock ? kSpdifClockDetected : 0) |
                                (spdifClock && spdifAudio ? kSpdifAudioDetected : 0));
  }
  if (page == kHdmi) {
    if (reg == kDdcStatus) return ddc_.Status();
    if (reg == kDdcFifoCount) return ddc_.FifoCount();
    if (reg == kDdcFifoData) return ddc_.PopFifo();
  }
  return regs_[page][reg];
}

void Anx9805::Settle() {
  if (auxDoneAt_ && time_.Passed(*auxDoneAt_)) FinishAux();
  if (trainingDoneAt_ && time_.Passed(*trainingDoneAt_)) FinishTraining();
}

void Anx9805::StartAux() {
  if (auxNeverAnswers) {
    auxDoneAt_.reset();
    return;
  }
  auxDoneAt_ = time_.Deadline(auxTimeUs);
  Settle();
}

void Anx9805::FinishAux() {
  auxDoneAt_.reset();
  auto& dp = regs_[kDp];
  dp[kAuxControl] &= static_cast<uint8_t>(~kAuxBusy);
  const uint8_t command = dp[kAuxCommand];
  const uint32_t length = (command >> 4) + 1u;
  const uint32_t address = dp[kAuxAddress0] | dp[kAuxAddress1] << 8 | (dp[kAuxAddress2] & 0x0F) << 16;
  uint8_t received = 0;
  if (sinkConnected && LinkPowered()) {
    if ((command & 0x0F) == kAuxNativeRead) {
      for (uint32_t i = 0; i < length && i < kAuxBufferSize; ++i) dp[kAuxData + i] = PeekDpcd(address + i);
      received = static_cast<uint8_t>(length);
    } else if ((command & 0x0F) == kAuxNativeWrite) {
      for (uint32_t i = 0; i < length && i < kAuxBufferSize; ++i) PokeDpcd(address + i, dp[kAuxData + i]);
    }
  }
  dp[kAuxByteCount] = static_cast<uint8_t>((dp[kAuxByteCount] & ~kAuxCountMask) | received);
}

void Anx9805::StartTraining() {
  trained_.reset();
  if (trainingNeverEnds) {
    trainingDoneAt_.reset();
    return;
  }
  trainingDoneAt_ = time_.Deadline(trainingTimeUs);
  Settle();
}

bool Anx9805::LinkSupported(uint8_t rate, uint8_t lanes) const {
  const uint8_t count = lanes & kLaneCountMask;
  return IsLinkRate(rate) && rate <= dpcd_[0x001] && IsLaneCount(count) && count <= (dpcd_[0x002] & kLaneCountMask);
}

void Anx9805::FinishTraining() {
  trainingDoneAt_.reset();
  auto& dp = regs_[kDp];
  const uint8_t rate = dp[kLinkBandwidthSet];
  const uint8_t lanes = dp[kLaneCountSet];
  const bool linkUp = sinkConnected && LinkPowered() && LinkSupported(rate, lanes);
  const uint8_t result =
      trainingResult ? static_cast<uint8_t>(*trainingResult & ~kTrainingBusy) : (linkUp ? 0 : kTrainingFailed);
  dp[kLinkTraining] = result;
  if (result != 0 || !linkUp) return;
  trained_ = Link{rate, lanes};
  dpcd_[kDpcdLinkBwSet] = rate;
  dpcd_[kDpcdLaneCountSet] = lanes;
  const uint8_t count = lanes & kLaneCountMask;
  dpcd_[kDpcdLane01Status] = count >= 2 ? kLanePairTrained : 0x07;
  dpcd_[kDpcdLane23Status] = count == 4 ? kLanePairTrained : 0;
  dpcd_[kDpcdAlignStatus] = 0x01;
}

void AttachAnx9805(I2cBus& bus, const std::shared_ptr<Anx9805>& anx) {
  for (const uint8_t address : kPageAddresses) {
    // Each target shares ownership of the whole device.
    bus.Attach(I2cAddress::EightBit(address), std::shared_ptr<I2cTarget>(anx, &anx->Target(address)));
  }
}

Anx9805& AttachAnx9805(Chip& chip) {
  auto anx = std::make_shared<Anx9805>([&chip] { return chip.NowUs(); });
  AttachAnx9805(chip.Find<I2cMasterUnit>()->Bus(0), anx);
  return *anx;
}

}  // namespace zev::sim
