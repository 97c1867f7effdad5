#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/chip/register_tables.h"

namespace zev::sim {

// Which chip the virtual adapter models: the production chip (revision A0 or 1) or an
// FPGA prototype build.
struct ChipVariant {
  enum class Kind { SiliconA0, SiliconRev1, Fpga };
  Kind kind = Kind::SiliconRev1;
  uint32_t fpgaBuild = 0;  // FPGA_REV of an FPGA build (non-zero)

  static ChipVariant SiliconA0() { return {Kind::SiliconA0, 0}; }
  static ChipVariant SiliconRev1() { return {Kind::SiliconRev1, 0}; }
  static ChipVariant Fpga(uint32_t build) { return {Kind::Fpga, build}; }

  bool IsSilicon() const { return kind != Kind::Fpga; }
  uint32_t IdRev() const;    // device ID 0x9D00 and the revision
  uint32_t FpgaRev() const;  // 0 on silicon
  // I2C transfer mechanism the chip offers: 0 plain FIFO, 1 old assist, 2 new assist.
  uint32_t I2cAssistGeneration() const;
  bool HasHdmiAssist() const;
  bool HasPacked24Bpp() const;
  // Early FPGA builds (before packed 24-bit pixels) carry the older system, I/O and
  // display-controller register rows.
  RegisterLayout Layout() const;

  // "a0", "rev1" or "fpga<build>" (e.g. "fpga60"); nullopt for anything else.
  static std::optional<ChipVariant> Parse(std::string_view text);
  std::string Name() const;
};

}  // namespace zev::sim
