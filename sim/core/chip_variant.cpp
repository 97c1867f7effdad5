#include "sim/core/chip_variant.h"

#include <charconv>

namespace zev::sim {

uint32_t ChipVariant::IdRev() const { return kind == Kind::SiliconRev1 ? 0x9D000001 : 0x9D000000; }

uint32_t ChipVariant::FpgaRev() const { return kind == Kind::Fpga ? fpgaBuild : 0; }

uint32_t ChipVariant::I2cAssistGeneration() const {
  switch (kind) {
    case Kind::SiliconA0:
      return 1;
    case Kind::SiliconRev1:
      return 2;
    case Kind::Fpga:
      break;
  }
  if (fpgaBuild < 66) return 0;
  return fpgaBuild <= 102 ? 1 : 2;
}

bool ChipVariant::HasHdmiAssist() const { return kind == Kind::SiliconRev1 || (kind == Kind::Fpga && fpgaBuild >= 128); }

bool ChipVariant::HasPacked24Bpp() const { return kind != Kind::Fpga || fpgaBuild >= 54; }

RegisterLayout ChipVariant::Layout() const { return HasPacked24Bpp() ? RegisterLayout::Newer : RegisterLayout::Older; }

std::optional<ChipVariant> ChipVariant::Parse(std::string_view text) {
  if (text == "a0") return SiliconA0();
  if (text == "rev1") return SiliconRev1();
  if (text.starts_with("fpga")) {
    const std::string_view digits = text.substr(4);
    uint32_t build = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), build);
    if (error == std::errc() && end == digits.data() + digits.size() && build != 0 && !digits.empty()) {
      return Fpga(build);
    }
  }
  return std::nullopt;
}

std::string ChipVariant::Name() const {
  switch (kind) {
    case Kind::SiliconA0:
      return "a0";
    case Kind::SiliconRev1:
      return "rev1";
    case Kind::Fpga:
      break;
  }
  return "fpga" + std::to_string(fpgaBuild);
}

}  // namespace zev::sim
