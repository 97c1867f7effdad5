#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sim/devices/monitor.h"

namespace zev::sim {

class Anx9805;
class C7301;
class Chip;

// The board's audio sources.
enum class AudioSource { I2s0, I2s1, Spdif };

// What the adapter's board carries around the chip. The default is the standard board:
// a monitor with the monitor model's 1920 x 1080 EDID on the bus of I2C port 2, the
// CH7301 (bus 0, 0xEC), on silicon boards the ANX9805 (bus 0, 0x70/0x72/0x7A) with the
// same monitor on its DDC lines, and I2S input 0 playing 48 kHz. The FPGA boards'
// external SiI9134 is not listed: it comes with the chip's HDMI unit.
struct BoardDescription {
  MonitorBus monitorBus = MonitorBus::Port2;
  std::vector<uint8_t> monitorEdid;  // empty: the monitor model's default EDID
  bool c7301 = true;
  bool anx9805 = true;  // wired on silicon boards only
  // Sampling rates of the audio sources in Hz, 0 for silence.
  uint32_t i2s0Hz = 48000;
  uint32_t i2s1Hz = 0;
  uint32_t spdifHz = 0;

  // Nothing on the I2C buses (no monitor, no transmitters), for tests that attach
  // their own devices; the audio sources as on the standard board.
  static BoardDescription Empty();
};

// The board as wired on one chip. The wiring is board-level: it stays through power-up
// and device reset of the chip.
class Board {
 public:
  // Wires `description` onto the chip's I2C buses and audio inputs. Throws
  // std::invalid_argument for an EDID shorter than one block.
  Board(Chip& chip, const BoardDescription& description);
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  // Null when the board has none.
  Monitor* monitor() { return monitor_.get(); }
  MonitorBus monitorBus() const { return monitorBus_; }
  C7301* c7301() { return c7301_; }
  Anx9805* anx9805() { return anx9805_; }

  // Replaces the monitor by one with `edid` on `bus` (MonitorBus::None: no monitor),
  // also on the ANX9805's DDC lines. Returns it (null for None). Throws
  // std::invalid_argument for an EDID shorter than one block; nothing changes then.
  Monitor* ConnectMonitor(MonitorBus bus, std::span<const uint8_t> edid = DefaultMonitorEdid());

  // Sampling rate of an audio source in Hz (0: silent); may change at any time.
  void SetAudioRate(AudioSource source, uint32_t hz);

 private:
  Chip& chip_;
  std::shared_ptr<Monitor> monitor_;
  MonitorBus monitorBus_ = MonitorBus::None;
  C7301* c7301_ = nullptr;
  Anx9805* anx9805_ = nullptr;
};

}  // namespace zev::sim
