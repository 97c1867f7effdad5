#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace zev::sim {

class Chip;

// The HDMI block's I2C sequencer ("Voskar HDMI assist"): one command moves one register
// byte of an I2C device on the bus I2C_SEL selects.
//   0x301 target: bits 23:16 the device's register byte, bits 7:0 its 8-bit address.
//   0x304 data: the byte to write; the byte read once a read completes.
//   0x300 command and status: a write without bit 31 stages the word, a write with
//     bit 31 (go) starts it. Bits 2:0 choose the operation (6 write, 0 read; anything
//     else fails). Bit 31 reads set while the transfer is on the bus; the completed word
//     is the command with bits 31 and 27 cleared, bit 27 set again when the transfer
//     failed (the device did not acknowledge).
// Each completion reports the outcome through `onDone` (true: acknowledged), which the
// block turns into its DDC status.
class HdmiAssist {
 public:
  static constexpr uint32_t kGo = 1u << 31;
  static constexpr uint32_t kError = 1u << 27;

  HdmiAssist(Chip& chip, std::function<void(bool)> onDone);
  void Reset();

  // `reg` is the block's register number 0x300, 0x301 or 0x304.
  uint32_t Read(uint32_t reg);
  void Write(uint32_t reg, uint32_t value);

  // Fault: a started command never completes.
  bool neverFinishes = false;
  uint64_t commands() const { return commands_; }

 private:
  void Settle();
  void Start(uint32_t command);
  // Runs the transfer on the bus; true when the device acknowledged every byte. Sets
  // how long it keeps the bus.
  bool Transfer(bool read, uint64_t* busUs);

  Chip& chip_;
  std::function<void(bool)> onDone_;
  uint32_t target_ = 0;
  uint32_t data_ = 0;
  uint32_t word_ = 0;
  bool busy_ = false;
  std::optional<uint64_t> doneAtUs_;  // nullopt while it never finishes
  uint32_t result_ = 0;
  bool acknowledged_ = true;
  uint64_t commands_ = 0;
};

}  // namespace zev::sim
