#pragma once

#include <memory>

#include "sim/devices/i2c_bus.h"
#include "sim/devices/sii9134_register_file.h"

namespace zev::sim {

// An external SiI9134 HDMI transmitter on an I2C bus: register page 0 (0x000 - 0x0FF)
// answers at 8-bit address 0x76, page 1 (0x100 - 0x1FF) at 0x7E. It acknowledges every
// byte; a chip reset of the Voskar does not reset it.
class Sii9134Device {
 public:
  static constexpr Sii9134RegisterFile::Identity kIdentity{0x01, 0x00, 0x34, 0x91, 0x00};

  Sii9134Device();
  Sii9134RegisterFile& registers() { return *registers_; }

  // Attaches both pages to `bus` (std::logic_error when an address is taken); Detach
  // takes them off again, as if the chip were missing.
  void Attach(I2cBus& bus);
  void Detach(I2cBus& bus);

 private:
  std::shared_ptr<Sii9134RegisterFile> registers_;
};

}  // namespace zev::sim
