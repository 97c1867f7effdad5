#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sim/devices/board.h"

namespace zev::sim::host {

// The words of the command line and of the control commands that describe the board.

// Audio rates are at most this, in Hz (0: silent).
inline constexpr uint32_t kMaxAudioRateHz = 192000;

// "1" or "2" (the I2C port the monitor's DDC lines go to), or "none".
std::optional<MonitorBus> ParseMonitorPort(const std::string& text);
// "port 2", "port 1" or "none".
std::string MonitorPortName(MonitorBus bus);
// "I2S input 0", "I2S input 1" or "S/PDIF input".
std::string AudioSourceName(AudioSource source);
// A decimal sampling rate in Hz, 0 to kMaxAudioRateHz.
std::optional<uint32_t> ParseAudioRate(const std::string& text);

}  // namespace zev::sim::host
