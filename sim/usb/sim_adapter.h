#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include "device/usb/usb_backend.h"
#include "sim/core/chip.h"
#include "sim/core/trace.h"
#include "sim/devices/board.h"
#include "sim/units/dram_array.h"
#include "sim/units/eeprom_part.h"
#include "sim/usb/usb_descriptors.h"

namespace zev::sim {

class EepromUnit;

// Transfer-level faults of the USB link.
struct LinkFaults {
  uint32_t failNext = 0;             // the next N transfers fail
  std::set<uint16_t> failAddresses;  // every register transfer to these addresses fails
  std::set<uint16_t> failReadAddresses;  // register reads of these addresses fail; writes go through
  bool stallControl = false;         // vendor requests are answered with a stall
  bool stallBulk = false;            // the bulk OUT endpoint stalls every packet
};

// What a transfer came to.
enum class TransferStatus { Ok, Stall, NoDevice, Failed };

struct TransferResult {
  TransferStatus status = TransferStatus::Ok;
  uint32_t length = 0;  // bytes moved
  bool ok() const { return status == TransferStatus::Ok; }
};

// Bus events the hosting front has to mirror (zev-sim re-enumerates the device).
enum class BusEvent { Left, Joined };

// One virtual adapter as the USB host sees it: the chip model behind the vendor
// register requests and the bulk OUT pipe, standard requests answered from the
// descriptors the chip built from its EEPROM image, plug state and link faults.
// Every transfer is recorded in the trace. Not thread-safe: one caller at a time.
class SimAdapter {
 public:
  struct Options {
    ChipVariant variant = ChipVariant::SiliconRev1();
    BusSpeed speed = BusSpeed::High;
    // The EEPROM part's content; its size is the part size (128, 256 or 512).
    // Empty: a 512-byte part holding the toolset's default image.
    std::vector<uint8_t> eeprom;
    // The DRAM part: 32 MB or 64 MB.
    uint32_t dramBytes = DramArray::kDefaultBytes;
    // Simulated time advanced by each transfer's bus time; null: real time.
    SimClock* clock = nullptr;
    // What sits on the board around the chip (monitor, transmitters, audio sources).
    BoardDescription board;
  };

  explicit SimAdapter(Options options);
  ~SimAdapter();

  Chip& chip() { return *chip_; }
  Trace& trace() { return trace_; }
  LinkFaults& faults() { return faults_; }
  const UsbDescriptors& descriptors() const { return descriptors_; }
  BusSpeed speed() const { return speed_; }
  // The board as wired at construction; it stays wired through power-up and device reset.
  Board& board() { return *board_; }

  // The EEPROM part: the one the EEPROM unit programs and the chip reads its image
  // from. Changing its bytes takes effect at the next power-up or device reset.
  EepromPart& eeprom() { return *eeprom_; }
  // Reads the EEPROM image as the chip does at power-up and device reset: the USB
  // descriptors and strings, and the register presets of a signed image.
  void LoadEeprom();

  bool plugged() const { return plugged_; }
  void Unplug();
  // Plugging in powers the chip up afresh.
  void Plug();
  // Counts every time the adapter joined the bus; an open handle from an earlier
  // generation is stale.
  uint64_t generation() const { return generation_; }
  void SetBusListener(std::function<void(BusEvent)> listener) { listener_ = std::move(listener); }

  // The USB requests. `data` holds wLength bytes (filled for IN requests).
  TransferResult Control(const SetupPacket& setup, uint8_t* data);
  TransferResult BulkOut(uint8_t endpoint, std::span<const uint8_t> data);
  TransferResult ClearHalt(uint8_t endpoint);
  // A transfer through a handle to a device that has left the bus: it fails after the
  // time a transfer takes, and is recorded.
  void RecordVanishedTransfer(uint16_t address);

  // Bus time of one control transfer and of bulk data (about what a high-speed link
  // through zev-sim achieves).
  static constexpr uint64_t kControlTransferUs = 590;
  static constexpr uint64_t kBulkBytesPerMs = 100 * 1024 * 1024 / 1000;

 private:
  bool TakeFault(uint16_t address, bool isRegister);
  TransferResult StandardRequest(const SetupPacket& setup, uint8_t* data);
  TransferResult RegisterRequest(const SetupPacket& setup, uint8_t* data);
  void Charge(uint64_t us);
  void DeviceReset();

  SimTime* time_;
  std::unique_ptr<RealTime> realTime_;
  std::unique_ptr<Chip> chip_;
  std::unique_ptr<Board> board_;
  SimClock* clock_;
  Trace trace_;
  LinkFaults faults_;
  BusSpeed speed_;
  EepromUnit* eepromUnit_ = nullptr;
  EepromPart* eeprom_ = nullptr;
  UsbDescriptors descriptors_;
  bool plugged_ = true;
  bool resetPending_ = false;
  uint64_t generation_ = 1;
  std::function<void(BusEvent)> listener_;
};

// A 512-byte part holding the toolset's default image.
std::vector<uint8_t> DefaultEepromImage();

}  // namespace zev::sim
