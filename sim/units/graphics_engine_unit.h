#pragma once

#include <cstdint>
#include <span>

#include "sim/core/unit.h"

namespace zev::sim {

// The graphics engine's command side: it executes the packets that arrive on the bulk
// OUT pipe while GE_CTRL bit 0 is set and reports the outcome in GE_CMD_STATUS bits
// 1:0 (0 done, 2 stalled). Packets are told apart by their first word; this class
// executes memory writes (MEM_WRITE_CMD) and solid rectangle fills (GE_RECT_FILL_CMD)
// and leaves other commands to the units after it. GE_CTRL and the engine's other
// registers stay in the plain register file.
//
// A rectangle fill draws into the surface the display controller shows (DC_FBBASE),
// whose width and height in pixels the packet carries; bit 15 of the width field marks
// the 32-bit colour surface, the only one the model knows (it stalls on others). Pixels
// take 3 bytes (blue, green, red) on chips with packed 24-bit pixels, else 4 (blue,
// green, red, 0). The rectangle is clipped to the surface.
class GraphicsEngineUnit final : public Unit {
 public:
  using Unit::Unit;

  const char* Name() const override { return "graphics engine"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;
  bool HandleBulk(std::span<const uint8_t> packet) override;

  static constexpr uint32_t kStatusDone = 0;
  static constexpr uint32_t kStatusStalled = 2;

  // Fault: the engine stalls on every packet; nothing is stored.
  bool stall = false;
  // Memory-write packets stored and rectangles filled since reset.
  uint64_t memoryWrites() const { return memoryWrites_; }
  uint64_t rectangleFills() const { return rectangleFills_; }

 private:
  void MemoryWrite(std::span<const uint8_t> packet);
  void RectangleFill(std::span<const uint8_t> packet);

  uint32_t status_ = kStatusDone;
  uint64_t memoryWrites_ = 0;
  uint64_t rectangleFills_ = 0;
};

}  // namespace zev::sim
