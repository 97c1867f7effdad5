#pragma once

#include <memory>

#include "sim/core/unit.h"
#include "sim/units/dram_array.h"

namespace zev::sim {

// The frame-buffer memory attached to the chip. It decodes no register; the data port,
// the graphics engine and the scan-out reach the cells through memory(), which is the
// array itself or a view installed in front of it (a fault model wrapping array()).
// The content is lost when the chip powers up (plug-in, device reset).
class DramUnit final : public Unit {
 public:
  using Unit::Unit;

  const char* Name() const override { return "dram"; }
  bool Decodes(uint16_t) const override { return false; }
  uint32_t Read(uint16_t) override { return 0; }
  void Write(uint16_t, uint32_t) override {}
  void Reset() override { array_.Clear(); }

  DramMemory& memory() { return view_ != nullptr ? *view_ : array_; }
  DramArray& array() { return array_; }
  // Puts `view` between the chip and the array; null removes it.
  void SetView(std::unique_ptr<DramMemory> view) { view_ = std::move(view); }
  DramMemory* view() const { return view_.get(); }

 private:
  DramArray array_;
  std::unique_ptr<DramMemory> view_;
};

}  // namespace zev::sim
