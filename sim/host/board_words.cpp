#include "sim/host/board_words.h"

#include <charconv>

namespace zev::sim::host {

std::optional<MonitorBus> ParseMonitorPort(const std::string& text) {
  if (text == "2") return MonitorBus::Port2;
  if (text == "1") return MonitorBus::Port1;
  if (text == "none") return MonitorBus::None;
  return std::nullopt;
}

std::string MonitorPortName(MonitorBus bus) {
  switch (bus) {
    case MonitorBus::Port2:
      return "I2C port 2";
    case MonitorBus::Port1:
      return "I2C port 1";
    case MonitorBus::None:
      break;
  }
  return "none";
}

std::string AudioSourceName(AudioSource source) {
  switch (source) {
    case AudioSource::I2s0:
      return "I2S input 0";
    case AudioSource::I2s1:
      return "I2S input 1";
    case AudioSource::Spdif:
      break;
  }
  return "S/PDIF input";
}

std::optional<uint32_t> ParseAudioRate(const std::string& text) {
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value > kMaxAudioRateHz) {
    return std::nullopt;
  }
  return value;
}

}  // namespace zev::sim::host
