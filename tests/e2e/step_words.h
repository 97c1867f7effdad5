#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zev::e2e {

// A number in a probe step: decimal, 0x hexadecimal or 0 octal, at most 32 bits.
inline std::optional<uint32_t> StepNumber(const std::string& text) {
  try {
    size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 0);
    if (used == text.size() && value <= UINT32_MAX) return static_cast<uint32_t>(value);
  } catch (...) {
  }
  return std::nullopt;
}

}  // namespace zev::e2e
