#pragma once

#include <cstdint>

#include "sim/core/unit.h"

namespace zev::sim {

// The three output interfaces of the display controller.
enum class DcInterface { Dac, Hdmi, Dvo };

// The timing the controller scans out, decoded from its registers. Positions count
// from 0 at the first active pixel or line; an end is the first position after.
struct DcTiming {
  uint32_t width = 0, height = 0;
  uint32_t hTotal = 0, vTotal = 0;
  uint32_t hBlankStart = 0, hBlankEnd = 0, hSyncStart = 0, hSyncEnd = 0;
  uint32_t vBlankStart = 0, vBlankEnd = 0, vSyncStart = 0, vSyncEnd = 0;
};

// One interface control register (DC_IF_DAC_CTRL, DC_IF_HDMI_CTRL, DC_IF_DVO_CTRL).
struct DcInterfaceControl {
  uint32_t value = 0;
  bool enabled = false;     // bit 0
  bool syncPol2 = false;    // bit 3
  bool syncPol1 = false;    // bit 4
  bool siliconVga = false;  // bit 5
  bool dpMode = false;      // bit 8
  bool dvoStyle = false;    // bit 9
};

// The display controller (DC_CTRL 0x2000 - DC_IF_DVO_CTRL 0x2048). DC_STS follows
// DC_CTRL's blank (bit 8) and enable (bit 0) bits once the controller has acted on a
// change, which software sees kStatusLagReads status reads later. A blank taking
// effect raises the blank and vertical-blank interrupts (bits 12 and 6, cleared by
// writing 1); while a requested blank has not taken effect BLANK_PENDING (bit 11) is
// set. The timing, frame-buffer, frame-length and interface registers are plain
// registers of the chip; the accessors below decode them for the scan-out.
class DisplayControllerUnit final : public Unit {
 public:
  explicit DisplayControllerUnit(Chip& chip);

  const char* Name() const override { return "display controller"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  static constexpr int kStatusLagReads = 2;

  // Faults: a requested blank never takes effect (it stays pending); the controller
  // never starts running.
  bool neverBlanks = false;
  bool neverEnables = false;

  // State as DC_STS reports it.
  bool Blanked() const { return blanked_; }
  bool Enabled() const { return running_; }
  uint32_t Control() const { return ctrl_; }
  // Pixel depth selected in DC_CTRL: 8, 16 or 32 (0 when none is).
  uint32_t BitsPerPixel() const;
  // Bytes per pixel in device memory: 32-bit pixels are packed to 3 bytes where the
  // chip does that.
  uint32_t BytesPerPixel();
  DcTiming Timing();
  uint32_t FrameBufferBase();
  uint32_t FrameLength();
  DcInterfaceControl Interface(DcInterface which);

 private:
  uint32_t Status() const;
  void Follow();

  uint32_t ctrl_ = 0;
  uint32_t otherStatusBits_ = 0;  // reset bits the model gives no behaviour
  bool blanked_ = false;
  bool running_ = false;
  bool blankInt_ = false;
  bool vblankInt_ = false;
  int lagReads_ = 0;
};

}  // namespace zev::sim
