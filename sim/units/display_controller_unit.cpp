#include "sim/units/display_controller_unit.h"

#include "device/chip/registers.h"
#include "device/video/display_controller.h"
#include "sim/core/chip.h"

namespace zev::sim {
namespace {

constexpr uint32_t kModelledStatusBits =
    DC_STS_RUNNING | DC_STS_VBLANK_INT_ | DC_STS_BLANKED | DC_STS_BLANK_PENDING_ | DC_STS_BLANK_INT_;
constexpr uint32_t kInterruptBits = DC_STS_VBLANK_INT_ | DC_STS_BLANK_INT_;

// A packed register field: the value programmed minus one in 12 bits.
uint32_t High(uint32_t reg) { return ((reg >> 16) & 0xFFF) + 1; }
uint32_t Low(uint32_t reg) { return (reg & 0xFFF) + 1; }

}  // namespace

DisplayControllerUnit::DisplayControllerUnit(Chip& chip) : Unit(chip) { Reset(); }

bool DisplayControllerUnit::Decodes(uint16_t address) const { return address == DC_CTRL || address == DC_STS; }

uint32_t DisplayControllerUnit::Read(uint16_t address) {
  if (address == DC_CTRL) return ctrl_;
  if (lagReads_ > 0) {
    --lagReads_;
  } else {
    Follow();
  }
  return Status();
}

void DisplayControllerUnit::Write(uint16_t address, uint32_t value) {
  if (address == DC_STS) {
    if ((value & DC_STS_BLANK_INT_) != 0) blankInt_ = false;
    if ((value & DC_STS_VBLANK_INT_) != 0) vblankInt_ = false;
    return;
  }
  const uint32_t changed = (ctrl_ ^ value) & (DC_CTRL_BLANK | DC_CTRL_ENABLE);
  ctrl_ = value;
  if (changed != 0) lagReads_ = kStatusLagReads;
}

void DisplayControllerUnit::Reset() {
  ctrl_ = chip().ResetValue(DC_CTRL);
  const uint32_t status = chip().ResetValue(DC_STS);
  otherStatusBits_ = status & ~kModelledStatusBits;
  blanked_ = (status & DC_STS_BLANKED) != 0;
  running_ = (status & DC_STS_RUNNING) != 0;
  blankInt_ = (status & DC_STS_BLANK_INT_) != 0;
  vblankInt_ = (status & DC_STS_VBLANK_INT_) != 0;
  lagReads_ = 0;
}

// The controller acts on DC_CTRL at a frame boundary; a blank taking effect raises
// both interrupts.
void DisplayControllerUnit::Follow() {
  const bool wantBlank = (ctrl_ & DC_CTRL_BLANK) != 0;
  if (wantBlank && !blanked_ && !neverBlanks) {
    blanked_ = true;
    blankInt_ = true;
    vblankInt_ = true;
  } else if (!wantBlank) {
    blanked_ = false;
  }
  const bool wantRunning = (ctrl_ & DC_CTRL_ENABLE) != 0;
  if (wantRunning != running_ && (!wantRunning || !neverEnables)) running_ = wantRunning;
}

uint32_t DisplayControllerUnit::Status() const {
  const bool pending = (ctrl_ & DC_CTRL_BLANK) != 0 && !blanked_;
  return otherStatusBits_ | (running_ ? DC_STS_RUNNING : 0) | (vblankInt_ ? DC_STS_VBLANK_INT_ : 0) |
         (blanked_ ? DC_STS_BLANKED : 0) | (pending ? DC_STS_BLANK_PENDING_ : 0) |
         (blankInt_ ? DC_STS_BLANK_INT_ : 0);
}

uint32_t DisplayControllerUnit::BitsPerPixel() const {
  if ((ctrl_ & DC_CTRL_32BPP) != 0) return 32;
  if ((ctrl_ & DC_CTRL_16BPP) != 0) return 16;
  if ((ctrl_ & DC_CTRL_8BPP) != 0) return 8;
  return 0;
}

uint32_t DisplayControllerUnit::BytesPerPixel() {
  const uint32_t bits = BitsPerPixel();
  if (bits == 32) return chip().Variant().HasPacked24Bpp() ? 3 : 4;
  return bits / 8;
}

DcTiming DisplayControllerUnit::Timing() {
  const uint32_t hSize = chip().Peek(DC_HSIZE), hBlank = chip().Peek(DC_HBLANK), hSync = chip().Peek(DC_HSYNC);
  const uint32_t vSize = chip().Peek(DC_VSIZE), vBlank = chip().Peek(DC_VBLANK), vSync = chip().Peek(DC_VSYNC);
  DcTiming t;
  t.width = Low(hSize);
  t.hTotal = High(hSize);
  t.hBlankStart = High(hBlank);
  t.hBlankEnd = Low(hBlank);
  t.hSyncStart = High(hSync);
  t.hSyncEnd = Low(hSync);
  t.height = Low(vSize);
  t.vTotal = High(vSize);
  t.vBlankStart = High(vBlank);
  t.vBlankEnd = Low(vBlank);
  t.vSyncStart = High(vSync);
  t.vSyncEnd = Low(vSync);
  return t;
}

uint32_t DisplayControllerUnit::FrameBufferBase() { return chip().Peek(DC_FBBASE); }

uint32_t DisplayControllerUnit::FrameLength() { return chip().Peek(DC_FRAME_LEN); }

DcInterfaceControl DisplayControllerUnit::Interface(DcInterface which) {
  const uint16_t address = which == DcInterface::Dac    ? DC_IF_DAC_CTRL
                           : which == DcInterface::Hdmi ? DC_IF_HDMI_CTRL
                                                        : DC_IF_DVO_CTRL;
  const uint32_t v = chip().Peek(address);
  DcInterfaceControl c;
  c.value = v;
  c.enabled = (v & DC_IF_ENABLE) != 0;
  c.syncPol2 = (v & DC_IF_SYNC_POL2) != 0;
  c.syncPol1 = (v & DC_IF_SYNC_POL1) != 0;
  c.siliconVga = (v & DC_IF_SILICON_VGA) != 0;
  c.dpMode = (v & DC_IF_DP_MODE) != 0;
  c.dvoStyle = (v & DC_IF_DVO_STYLE) != 0;
  return c;
}

}  // namespace zev::sim
