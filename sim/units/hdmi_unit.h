#pragma once

#include <cstdint>
#include <memory>

#include "sim/core/unit.h"
#include "sim/devices/sii9134_device.h"
#include "sim/devices/sii9134_register_file.h"
#include "sim/units/hdmi_assist.h"

namespace zev::sim {

// The HDMI side of the chip and the board:
//   - the internal SiI9134-compatible transmitter: register n in the low byte of chip
//     register 0x9000 + 4n (n 0x000 - 0x1FF), identity 0x97 0x36 in registers 0x003 and
//     0x002; on the production chip and on FPGA builds from 79;
//   - the HDMI assist at registers 0x300, 0x301, 0x304 (chip 0x9C00, 0x9C04, 0x9C10) on
//     chips that have it (production revision 1, FPGA builds from 128); its failures
//     show in the internal block's DDC status (0x0F2: 0x20, no acknowledge);
//   - on FPGA boards the external SiI9134 on I2C bus 1, attached when the unit is made.
// Both transmitters get the pixel clock as TMDS clock and the board's audio inputs.
class HdmiUnit final : public Unit {
 public:
  static constexpr Sii9134RegisterFile::Identity kInternalIdentity{0x01, 0x00, 0x36, 0x97, 0x00};
  static constexpr uint8_t kDdcNoAck = 0x20;

  explicit HdmiUnit(Chip& chip);

  const char* Name() const override { return "hdmi"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  // Whether the chip carries the internal transmitter (a build without it leaves the
  // addresses undecoded).
  bool internalPresent;
  Sii9134RegisterFile& internal() { return internal_; }
  // Null unless the chip has the assist.
  HdmiAssist* assist() { return assist_.get(); }
  // The board's external chip; null on the production chip's boards.
  Sii9134Device* external() { return external_.get(); }

 private:
  Sii9134RegisterFile::Environment Environment();
  bool IsInternalRegister(uint16_t address) const;
  bool IsAssistRegister(uint16_t address) const;

  Sii9134RegisterFile internal_;
  std::unique_ptr<HdmiAssist> assist_;
  std::unique_ptr<Sii9134Device> external_;
};

}  // namespace zev::sim
