#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/devices/i2c_target.h"

namespace zev::sim {

class I2cMasterUnit;

// A monitor's DDC target: its EDID at 0xA0 (8-bit form), one register per byte. The
// EDID may carry extension blocks; registers 0 .. 255 reach its first 256 bytes, and
// a single-block EDID repeats every 128 registers as its 128-byte part would. Writes
// are acknowledged and ignored (the part is write-protected).
class Monitor final : public I2cTarget {
 public:
  // Throws std::invalid_argument for fewer than 128 bytes.
  explicit Monitor(std::vector<uint8_t> edid);

  bool WriteRegister(uint8_t reg, uint8_t value) override;
  std::optional<uint8_t> ReadRegister(uint8_t reg) override;

  // The whole EDID as given (base block and extensions), for other models that read
  // the same monitor through their own DDC channel.
  std::span<const uint8_t> Edid() const { return edid_; }

  // Fault: after this many more bytes the monitor stops answering reads (a cable
  // pulled part way through). Negative: it always answers.
  void StopAnsweringAfter(int bytes) { answersLeft_ = bytes; }
  // Bytes delivered over the bus so far.
  uint64_t bytesRead() const { return bytesRead_; }

 private:
  std::vector<uint8_t> edid_;
  int answersLeft_ = -1;
  uint64_t bytesRead_ = 0;
};

inline constexpr uint8_t kMonitorDdcAddress = 0xA0;

// A real 1920 x 1080 monitor's EDID (the base block and its CTA extension), the one a
// monitor gets unless a file is given.
std::span<const uint8_t> DefaultMonitorEdid();
// The bytes of an EDID file. Throws std::runtime_error, naming the file, when it
// cannot be read or is shorter than one 128-byte block.
std::vector<uint8_t> ReadEdidFile(const std::string& path);

// Where the monitor's DDC lines are wired: the bus of I2C port 2 (selector 0), the bus
// of I2C port 1 (selector 1), or no monitor at all.
enum class MonitorBus { None, Port2, Port1 };

// Removes any monitor from both buses and attaches `monitor` on `bus` (nothing for
// MonitorBus::None or a null monitor). The bus shares the monitor's ownership.
void PlugMonitor(I2cMasterUnit& i2c, MonitorBus bus, const std::shared_ptr<Monitor>& monitor);
// Removes any monitor from both buses and attaches one with `edid` on `bus`; returns
// it (null for MonitorBus::None).
Monitor* ConnectMonitor(I2cMasterUnit& i2c, MonitorBus bus, std::span<const uint8_t> edid = DefaultMonitorEdid());

}  // namespace zev::sim
