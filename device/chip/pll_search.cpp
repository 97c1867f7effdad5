#include "device/chip/reset_clock.h"

namespace zev {
namespace {

// Limits of the PLL stages: divided reference and output at least 5 MHz, VCO 350 to
// 700 MHz, stage 0 output at most 200 MHz.
constexpr uint32_t kMinRefHz = 5000000;
constexpr uint32_t kMinOutHz = 5000000;
constexpr uint32_t kMinVcoHz = 350000000;
constexpr uint32_t kMaxVcoHz = 700000000;
constexpr uint32_t kMaxStage0OutHz = 200000000;
constexpr uint32_t kMaxStage1OutHz = 700000000;
constexpr uint32_t kMaxDivR = 32;
constexpr uint32_t kMaxDivF = 256;
constexpr uint32_t kMaxDivQ = 6;

uint32_t Distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

}  // namespace

uint32_t PllRangeCode(uint32_t refHz) {
  static constexpr uint32_t kBounds[] = {8000000, 13000000, 21000000, 34000000, 54000000, 88000000};
  uint32_t code = 1;
  for (uint32_t bound : kBounds) {
    if (refHz < bound) return code;
    ++code;
  }
  return code;
}

uint32_t PllStage0Word(const PllSettings& s) {
  return (s.DIVF0 & 0xFF) | (s.DIVR0 & 0x1F) << 8 | (s.DIVQ0 & 0x7) << 16 | (s.RANGE0 & 0x7) << 20;
}

uint32_t PllStage1Word(const PllSettings& s) {
  return (s.DIVF1 & 0xFF) | (s.DIVR1 & 0x1F) << 8 | (s.DIVQ1 & 0x7) << 16 | (s.RANGE1 & 0x7) << 20;
}

// Exhaustive search over both stages in a fixed loop order, unsigned 32-bit integer
// arithmetic throughout (the VCO limits stop each multiplier loop long before a
// product could overflow). The first candidate with the smallest error wins; an exact
// hit ends the search. Nothing is stored unless a candidate comes closer than the
// target itself.
uint64_t FindPllSettingsCounted(uint32_t target, PllSettings* settings) {
  uint64_t visited = 0;
  uint32_t best = target;
  for (uint32_t r0 = 1; r0 <= kMaxDivR; ++r0) {
    const uint32_t ref0 = kPllReferenceHz / r0;
    if (ref0 < kMinRefHz) return visited;
    for (uint32_t f0 = 1; f0 <= kMaxDivF; ++f0) {
      const uint32_t vco0 = ref0 * f0;
      if (vco0 < kMinVcoHz) continue;
      if (vco0 > kMaxVcoHz) break;
      for (uint32_t q0 = 0; q0 <= kMaxDivQ; ++q0) {
        const uint32_t out0 = vco0 >> q0;
        if (out0 < kMinOutHz) break;
        if (out0 > kMaxStage0OutHz) continue;
        for (uint32_t r1 = 1; r1 <= kMaxDivR; ++r1) {
          const uint32_t ref1 = out0 / r1;
          if (ref1 < kMinRefHz) break;
          for (uint32_t f1 = 1; f1 <= kMaxDivF; ++f1) {
            const uint32_t vco1 = ref1 * f1;
            if (vco1 < kMinVcoHz) continue;
            if (vco1 > kMaxVcoHz) break;
            for (uint32_t q1 = 0; q1 <= kMaxDivQ; ++q1) {
              const uint32_t out1 = vco1 >> q1;
              if (out1 < kMinOutHz) break;
              if (out1 > kMaxStage1OutHz) continue;
              ++visited;
              const uint32_t err = Distance(out1, target);
              if (err >= best) continue;
              best = err;
              *settings = {.pllOut = out1,
                           .DIVR0 = r0 - 1,
                           .DIVF0 = f0 - 1,
                           .DIVQ0 = q0,
                           .RANGE0 = PllRangeCode(ref0),
                           .DIVR1 = r1 - 1,
                           .DIVF1 = f1 - 1,
                           .DIVQ1 = q1,
                           .RANGE1 = PllRangeCode(ref1)};
              if (err == 0) return visited;
            }
          }
        }
      }
    }
  }
  return visited;
}

void FindPllSettings(uint32_t target, PllSettings* settings) { FindPllSettingsCounted(target, settings); }

}  // namespace zev
