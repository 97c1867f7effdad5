#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "sim/devices/anx9805_ddc.h"
#include "sim/devices/anx9805_time.h"
#include "sim/devices/i2c_bus.h"
#include "sim/devices/i2c_target.h"

namespace zev::sim {

class Chip;

// The Analogix ANX9805 DisplayPort/HDMI transmitter with the DisplayPort sink on its
// connector. Three I2C targets (0x70 link, 0x72 system, 0x7A HDMI, 8-bit form) share one
// device of 3 x 256 byte registers; registers without behaviour are plain storage.
// Behaviour:
//   0x72:0x06 bit 1 holds the chip in reset: every register returns to its default and
//     training, AUX and DDC state are dropped. 0x72:0x05 bit 7 powers the chip down
//     (the default), bit 0 the DisplayPort link (AUX and main link).
//   AUX (0x70:0xE4 - 0xFF): writing 0xE9 bit 0 starts the request in 0xE5 (bits 3:0: 9
//     native read, 8 native write; bits 7:4 length - 1) at the DPCD address in
//     0xE6 - 0xE8; 0xE9 bit 0 reads 1 until the sink has answered, then 0xE4 holds the
//     bytes received and 0xF0 on the data. No reply (count 0) without a sink or link power.
//   Link training (0x70:0xA0 - 0xA8): writing 0xA8 bit 0 trains the link at the rate
//     code in 0xA0 and the lane-count byte in 0xA1; 0xA8 reads 1 while training, then 0
//     when the link is up or 0x02 when it failed (a rate or lane count the sink does not
//     support, no sink, no link power). 0x70:0xB0 bit 4: the link PLL is locked.
//   Video: 0x72:0x08 bit 7 enables the video input; 0x72:0x09 selects the output.
//   Audio: 0x70:0x86 bit 0 (DisplayPort), 0x7A:0x09 bit 7 (HDMI). 0x72:0x38 reports the
//     S/PDIF input (bit 7 clock, bit 0 audio).
//   DDC master (0x7A:0x40 - 0x48): see Anx9805DdcMaster.
class Anx9805 {
 public:
  static constexpr uint8_t kDpAddress = 0x70;
  static constexpr uint8_t kSystemAddress = 0x72;
  static constexpr uint8_t kHdmiAddress = 0x7A;
  static constexpr uint8_t kTrainingFailed = 0x02;
  static constexpr uint32_t kDpcdSize = 0x800;  // DPCD 0x00000 - 0x007FF; above reads 0

  struct RegisterWrite {
    uint8_t address;  // 8-bit I2C address
    uint8_t reg;
    uint8_t value;
    bool operator==(const RegisterWrite&) const = default;
  };
  struct Link {
    uint8_t linkRate;   // 0x70:0xA0 as trained
    uint8_t laneCount;  // 0x70:0xA1 as trained (lane count and enhanced framing)
    bool operator==(const Link&) const = default;
  };

  // `nowUs`: the clock operations take time on; none makes them instant.
  explicit Anx9805(std::function<uint64_t()> nowUs = {});
  Anx9805(const Anx9805&) = delete;
  Anx9805& operator=(const Anx9805&) = delete;

  // The target answering at 0x70, 0x72 or 0x7A (std::out_of_range otherwise).
  I2cTarget& Target(uint8_t address);

  // State.
  bool Powered() const;      // out of reset and not powered down
  bool LinkPowered() const;  // and the DisplayPort link powered too
  std::optional<Link> TrainedLink() const { return trained_; }
  bool VideoEnabled() const;
  bool DpAudioEnabled() const;
  bool HdmiAudioEnabled() const;
  bool HdmiMode() const;  // 0x7A:0x02 bit 1
  uint8_t Peek(uint8_t address, uint8_t reg) const;
  void Poke(uint8_t address, uint8_t reg, uint8_t value);
  // Register writes that came over I2C, in order.
  const std::vector<RegisterWrite>& WriteLog() const { return log_; }
  std::vector<RegisterWrite> WriteLog(uint8_t address) const;
  void ClearWriteLog() { log_.clear(); }

  // The DisplayPort sink: its DPCD, reachable over AUX while connected.
  bool sinkConnected = true;
  uint8_t PeekDpcd(uint32_t address) const;
  void PokeDpcd(uint32_t address, uint8_t value);
  // DPCD 0x001 (maximum link-rate code) and 0x002 (maximum lane count, enhanced framing).
  void SetSinkCapabilities(uint8_t maxLinkRate, uint8_t maxLaneCount);

  // The connector's DDC lines: attach the monitor (its EDID at 0xA0) here.
  I2cBus& Ddc() { return ddc_.bus(); }
  Anx9805DdcMaster& ddcMaster() { return ddc_; }

  // Timing and faults.
  uint64_t auxTimeUs = 400;
  uint64_t trainingTimeUs = 8000;
  bool auxNeverAnswers = false;           // 0xE9 stays busy
  bool trainingNeverEnds = false;         // 0xA8 stays 1
  std::optional<uint8_t> trainingResult;  // forces 0xA8's final value (bit 0 is ignored)
  bool pllLocks = true;
  bool spdifClock = false;
  bool spdifAudio = false;

 private:
  class Page final : public I2cTarget {
   public:
    Page(Anx9805& device, size_t index) : device_(device), index_(index) {}
    bool WriteRegister(uint8_t reg, uint8_t value) override;
    std::optional<uint8_t> ReadRegister(uint8_t reg) override;

   private:
    Anx9805& device_;
    size_t index_;
  };

  static size_t IndexOf(uint8_t address);
  void Write(size_t page, uint8_t reg, uint8_t value);
  uint8_t Read(size_t page, uint8_t reg);
  void ResetChip();
  void Settle();
  void StartAux();
  void FinishAux();
  void StartTraining();
  void FinishTraining();
  bool LinkSupported(uint8_t rate, uint8_t lanes) const;

  Anx9805Time time_;
  std::array<std::array<uint8_t, 256>, 3> regs_{};
  std::array<Page, 3> pages_;
  std::vector<uint8_t> dpcd_;
  Anx9805DdcMaster ddc_;
  std::optional<uint64_t> auxDoneAt_;
  std::optional<uint64_t> trainingDoneAt_;
  std::optional<Link> trained_;
  std::vector<RegisterWrite> log_;
};

// Puts `anx` on `bus` at its three addresses; the bus shares its ownership.
void AttachAnx9805(I2cBus& bus, const std::shared_ptr<Anx9805>& anx);
// A new ANX9805 on bus 0 of the chip's I2C master (the bus I2C port 4 selects), on the
// chip's clock, with a sink of link rate 0x0A (2.7 Gbit/s) and 4 lanes.
Anx9805& AttachAnx9805(Chip& chip);

}  // namespace zev::sim
