#include "sim/units/hdmi_assist.h"

#include "device/chip/registers.h"
#include "device/video/sii9134_registers.h"
#include "sim/core/chip.h"
#include "sim/units/dw_i2c_core.h"
#include "sim/units/i2c_master_unit.h"

namespace zev::sim {
namespace {

constexpr uint32_t kOperation = 0x7;
constexpr uint32_t kOperationWrite = 6;
constexpr uint32_t kOperationRead = 0;

}  // namespace

HdmiAssist::HdmiAssist(Chip& chip, std::function<void(bool)> onDone) : chip_(chip), onDone_(std::move(onDone)) {}

void HdmiAssist::Reset() {
  target_ = data_ = word_ = result_ = 0;
  busy_ = false;
  doneAtUs_.reset();
  acknowledged_ = true;
}

void HdmiAssist::Settle() {
  if (busy_ && doneAtUs_ && chip_.NowUs() >= *doneAtUs_) {
    busy_ = false;
    word_ = result_;
    if (onDone_) onDone_(acknowledged_);
  }
}

uint32_t HdmiAssist::Read(uint32_t reg) {
  Settle();
  switch (reg) {
    case HDMI_ASSIST_TARGET:
      return target_;
    case HDMI_ASSIST_DATA:
      return data_;
    default:
      return busy_ ? word_ | kGo : word_;
  }
}

void HdmiAssist::Write(uint32_t reg, uint32_t value) {
  Settle();
  if (busy_) return;  // the registers hold still while a transfer runs
  switch (reg) {
    case HDMI_ASSIST_TARGET:
      target_ = value;
      return;
    case HDMI_ASSIST_DATA:
      data_ = value & 0xFF;
      return;
    default:
      if ((value & kGo) == 0) {
        word_ = value;
        return;
      }
      Start(value & ~kGo);
  }
}

bool HdmiAssist::Transfer(bool read, uint64_t* busUs) {
  I2cMasterUnit* master = chip_.Find<I2cMasterUnit>();
  const uint8_t device = static_cast<uint8_t>((target_ & 0xFF) >> 1);
  const uint8_t reg = static_cast<uint8_t>(target_ >> 16);
  I2cBus* bus = master != nullptr ? &master->Bus(chip_.Peek(I2C_SEL) & 3) : nullptr;
  // START, device address, register byte; a read adds a restart, the address and the byte.
  *busUs = DwI2cCore::kStartUs + DwI2cCore::kByteUs + DwI2cCore::kStopUs;
  if (bus == nullptr || !bus->SetPointer(device, reg)) return false;
  *busUs += DwI2cCore::kByteUs;
  if (!read) {
    *busUs += DwI2cCore::kByteUs;
    return bus->Write(device, static_cast<uint8_t>(data_));
  }
  *busUs += DwI2cCore::kStartUs + 2 * DwI2cCore::kByteUs;
  const std::optional<uint8_t> byte = bus->Read(device);
  data_ = byte.value_or(0xFF);
  return byte.has_value();
}

void HdmiAssist::Start(uint32_t command) {
  ++commands_;
  word_ = command;
  busy_ = true;
  const uint32_t operation = command & kOperation;
  uint64_t busUs = 0;
  acknowledged_ = (operation == kOperationWrite || operation == kOperationRead) &&
                  Transfer(operation == kOperationRead, &busUs);
  result_ = (command & ~kError) | (acknowledged_ ? 0 : kError);
  if (neverFinishes) {
    doneAtUs_.reset();
    return;
  }
  doneAtUs_ = chip_.NowUs() + busUs;
}

}  // namespace zev::sim
