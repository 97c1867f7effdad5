#include "sim/usb/sim_adapter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "device/eeprom/eeprom_image_builder.h"
#include "sim/units/dram_unit.h"
#include "sim/units/eeprom_unit.h"
#include "sim/units/standard_units.h"

namespace zev::sim {
namespace {

constexpr uint8_t kGetStatus = 0x00;
constexpr uint8_t kClearFeature = 0x01;
constexpr uint8_t kSetFeature = 0x03;
constexpr uint8_t kSetAddress = 0x05;
constexpr uint8_t kGetDescriptor = 0x06;
constexpr uint8_t kGetConfiguration = 0x08;
constexpr uint8_t kSetConfiguration = 0x09;
constexpr uint8_t kGetInterface = 0x0A;
constexpr uint8_t kSetInterface = 0x0B;

TransferResult Reply(const std::vector<uint8_t>& bytes, uint8_t* data, uint16_t wLength) {
  const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(bytes.size()), wLength);
  if (n > 0) std::memcpy(data, bytes.data(), n);
  return {TransferStatus::Ok, n};
}

}  // namespace

std::vector<uint8_t> DefaultEepromImage() {
  std::vector<uint8_t> image;
  std::string error;
  if (!BuildEepromImage(EepromImageFields{}, 512, &image, &error)) throw std::logic_error(error);
  return image;
}

SimAdapter::SimAdapter(Options options) : clock_(options.clock), speed_(options.speed) {
  if (clock_ != nullptr) {
    time_ = clock_;
  } else {
    realTime_ = std::make_unique<RealTime>();
    time_ = realTime_.get();
  }
  chip_ = std::make_unique<Chip>(options.variant, *time_);
  AddStandardUnits(*chip_);
  board_ = std::make_unique<Board>(*chip_, options.board);
  eepromUnit_ = chip_->Find<EepromUnit>();
  if (eepromUnit_ == nullptr) throw std::logic_error("the chip model has no EEPROM unit");
  eeprom_ = &eepromUnit_->part();
  eeprom_->Assign(options.eeprom.empty() ? DefaultEepromImage() : std::move(options.eeprom));
  if (!chip_->Find<DramUnit>()->array().SetSizeBytes(options.dramBytes)) {
    throw std::logic_error("the DRAM model has no part of " + std::to_string(options.dramBytes) + " bytes");
  }
  chip_->PowerUp();
  chip_->SetDeviceResetHandler([this] { resetPending_ = true; });
  LoadEeprom();
}

SimAdapter::~SimAdapter() = default;

void SimAdapter::LoadEeprom() {
  eepromUnit_->LoadPresets();
  descriptors_ = UsbDescriptors::FromEeprom(eeprom_->bytes());
}

void SimAdapter::Unplug() {
  if (!plugged_) return;
  plugged_ = false;
  if (listener_) listener_(BusEvent::Left);
}

void SimAdapter::Plug() {
  if (plugged_) return;
  chip_->PowerUp();
  LoadEeprom();
  plugged_ = true;
  ++generation_;
  if (listener_) listener_(BusEvent::Joined);
}

void SimAdapter::DeviceReset() {
  // The chip reloads its configuration from the EEPROM, leaves and rejoins the bus.
  Unplug();
  Plug();
}

void SimAdapter::RecordVanishedTransfer(uint16_t address) {
  Charge(kControlTransferUs);
  trace_.Record(TraceEvent(TraceEvent::Kind::Failed, address));
}

void SimAdapter::Charge(uint64_t us) {
  if (clock_ != nullptr) clock_->AdvanceUs(us);
}

bool SimAdapter::TakeFault(uint16_t address, bool isRegister) {
  if (faults_.failNext > 0) {
    --faults_.failNext;
    return true;
  }
  return isRegister && faults_.failAddresses.contains(address);
}

TransferResult SimAdapter::Control(const SetupPacket& setup, uint8_t* data) {
  // A transfer to a device that is gone still takes the host its time to fail, so
  // polling loops reach their timeouts.
  Charge(kControlTransferUs);
  if (!plugged_) {
    trace_.Record(TraceEvent(TraceEvent::Kind::Failed, setup.wIndex));
    return {TransferStatus::NoDevice, 0};
  }
  const bool vendor = (setup.bmRequestType & 0x60) == 0x40;
  const bool vendorRead = vendor && (setup.bmRequestType & 0x80) != 0;
  if (TakeFault(setup.wIndex, vendor) || (vendorRead && faults_.failReadAddresses.contains(setup.wIndex))) {
    trace_.Record(TraceEvent(TraceEvent::Kind::Failed, setup.wIndex));
    return {TransferStatus::Failed, 0};
  }
  TransferResult result = vendor ? RegisterRequest(setup, data) : StandardRequest(setup, data);
  if (resetPending_) {
    resetPending_ = false;
    DeviceReset();
  }
  return result;
}

TransferResult SimAdapter::RegisterRequest(const SetupPacket& setup, uint8_t* data) {
  if (faults_.stallControl || setup.wLength != 4) {
    trace_.Record(TraceEvent(TraceEvent::Kind::Failed, setup.wIndex));
    return {TransferStatus::Stall, 0};
  }
  bool undecoded = false;
  if (setup.bmRequestType == 0xC0 && setup.bRequest == 0xA1) {
    const uint32_t value = chip_->Read(setup.wIndex, &undecoded);
    for (int i = 0; i < 4; ++i) data[i] = static_cast<uint8_t>(value >> (8 * i));
    TraceEvent event(TraceEvent::Kind::RegRead, setup.wIndex, value);
    event.undecoded = undecoded;
    trace_.Record(std::move(event));
    return {TransferStatus::Ok, 4};
  }
  if (setup.bmRequestType == 0x40 && setup.bRequest == 0xA0) {
    const uint32_t value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    // Recorded before the write takes effect, so a write that resets the chip is
    // still seen in order.
    TraceEvent event(TraceEvent::Kind::RegWrite, setup.wIndex, value);
    chip_->Write(setup.wIndex, value, &undecoded);
    event.undecoded = undecoded;
    trace_.Record(std::move(event));
    return {TransferStatus::Ok, 4};
  }
  trace_.Record(TraceEvent(TraceEvent::Kind::Failed, setup.wIndex));
  return {TransferStatus::Stall, 0};
}

TransferResult SimAdapter::StandardRequest(const SetupPacket& setup, uint8_t* data) {
  trace_.Record(TraceEvent(TraceEvent::Kind::Control, setup.wValue,
                 static_cast<uint32_t>(setup.bmRequestType) << 8 | setup.bRequest));
  const bool in = (setup.bmRequestType & 0x80) != 0;
  switch (setup.bRequest) {
    case kGetDescriptor: {
      if (!in) break;
      const uint8_t type = static_cast<uint8_t>(setup.wValue >> 8);
      const uint8_t index = static_cast<uint8_t>(setup.wValue);
      std::optional<std::vector<uint8_t>> reply;
      switch (type) {
        case 0x01:
          reply = descriptors_.Device(speed_);
          break;
        case 0x02:
          if (index == 0) reply = descriptors_.Configuration(speed_);
          break;
        case 0x03:
          reply = descriptors_.String(index);
          break;
        case 0x06:
          reply = descriptors_.DeviceQualifier(speed_);
          break;
        case 0x07:
          reply = descriptors_.OtherSpeedConfiguration(speed_);
          break;
        case 0x0F:
          reply = descriptors_.Bos();
          break;
        default:
          break;
      }
      if (!reply) return {TransferStatus::Stall, 0};
      return Reply(*reply, data, setup.wLength);
    }
    case kGetStatus:
      if (in) {
        const uint8_t recipient = setup.bmRequestType & 0x1F;
        const uint8_t status = recipient == 0 && descriptors_.SelfPowered() ? 1 : 0;
        return Reply({status, 0}, data, setup.wLength);
      }
      break;
    case kGetConfiguration:
      if (in) return Reply({1}, data, setup.wLength);
      break;
    case kGetInterface:
      if (in) return Reply({0}, data, setup.wLength);
      break;
    case kSetConfiguration:
    case kSetInterface:
    case kSetAddress:
    case kSetFeature:
      if (!in) return {TransferStatus::Ok, 0};
      break;
    case kClearFeature:
      if (!in) {
        if ((setup.bmRequestType & 0x1F) == 2 && setup.wValue == 0) return ClearHalt(static_cast<uint8_t>(setup.wIndex));
        return {TransferStatus::Ok, 0};
      }
      break;
    default:
      break;
  }
  return {TransferStatus::Stall, 0};
}

TransferResult SimAdapter::ClearHalt(uint8_t endpoint) {
  if (!plugged_) return {TransferStatus::NoDevice, 0};
  if (endpoint != UsbDescriptors::kBulkOutEndpoint && endpoint != UsbDescriptors::kInterruptInEndpoint) {
    return {TransferStatus::Stall, 0};
  }
  return {TransferStatus::Ok, 0};
}

TransferResult SimAdapter::BulkOut(uint8_t endpoint, std::span<const uint8_t> data) {
  if (!plugged_) {
    RecordVanishedTransfer(endpoint);
    return {TransferStatus::NoDevice, 0};
  }
  Charge(kControlTransferUs / 4 + data.size() / kBulkBytesPerMs * 1000 +
         (data.size() % kBulkBytesPerMs) * 1000 / kBulkBytesPerMs);
  if (endpoint != UsbDescriptors::kBulkOutEndpoint || faults_.stallBulk) {
    trace_.Record(TraceEvent(TraceEvent::Kind::Failed, endpoint));
    return {TransferStatus::Stall, 0};
  }
  if (TakeFault(endpoint, false)) {
    trace_.Record(TraceEvent(TraceEvent::Kind::Failed, endpoint));
    return {TransferStatus::Failed, 0};
  }
  TraceEvent event(TraceEvent::Kind::Bulk, endpoint, 0, static_cast<uint32_t>(data.size()));
  event.head.assign(data.begin(), data.begin() + std::min(data.size(), TraceEvent::kBulkHeadBytes));
  trace_.Record(std::move(event));
  chip_->Bulk(data);
  if (resetPending_) {
    resetPending_ = false;
    DeviceReset();
  }
  return {TransferStatus::Ok, static_cast<uint32_t>(data.size())};
}

}  // namespace zev::sim
