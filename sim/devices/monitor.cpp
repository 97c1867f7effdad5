#include "sim/devices/monitor.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "sim/units/i2c_master_unit.h"

namespace zev::sim {
namespace {

constexpr size_t kBlockSize = 128;
constexpr size_t kAddressableBytes = 256;

constexpr uint32_t kPort2Selector = 0;
constexpr uint32_t kPort1Selector = 1;

}  // namespace

Monitor::Monitor(std::vector<uint8_t> edid) : edid_(std::move(edid)) {
  if (edid_.size() < kBlockSize) throw std::invalid_argument("an EDID needs at least one 128-byte block");
}

bool Monitor::WriteRegister(uint8_t, uint8_t) { return true; }

std::optional<uint8_t> Monitor::ReadRegister(uint8_t reg) {
  if (answersLeft_ == 0) return std::nullopt;
  if (answersLeft_ > 0) --answersLeft_;
  ++bytesRead_;
  const size_t partSize = std::min(edid_.size(), kAddressableBytes);
  return edid_[reg % partSize];
}

std::vector<uint8_t> ReadEdidFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("EDID file '" + path + "' cannot be read: " + std::strerror(errno));
  }
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) throw std::runtime_error("EDID file '" + path + "' cannot be read");
  if (bytes.size() < kBlockSize) {
    throw std::runtime_error("EDID file '" + path + "' holds " + std::to_string(bytes.size()) +
                             " bytes; an EDID block has 128");
  }
  return bytes;
}

void PlugMonitor(I2cMasterUnit& i2c, MonitorBus bus, const std::shared_ptr<Monitor>& monitor) {
  const I2cAddress address = I2cAddress::EightBit(kMonitorDdcAddress);
  for (uint32_t selector : {kPort2Selector, kPort1Selector}) {
    if (dynamic_cast<Monitor*>(i2c.Bus(selector).Target(address)) != nullptr) i2c.Bus(selector).Detach(address);
  }
  if (bus == MonitorBus::None || !monitor) return;
  i2c.Bus(bus == MonitorBus::Port2 ? kPort2Selector : kPort1Selector).Attach(address, monitor);
}

Monitor* ConnectMonitor(I2cMasterUnit& i2c, MonitorBus bus, std::span<const uint8_t> edid) {
  std::shared_ptr<Monitor> monitor;
  if (bus != MonitorBus::None) monitor = std::make_shared<Monitor>(std::vector<uint8_t>(edid.begin(), edid.end()));
  PlugMonitor(i2c, bus, monitor);
  return monitor.get();
}

}  // namespace zev::sim
