#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zev::sim {

// Little-endian fields of a bulk packet; the caller has checked the packet's length.
inline uint16_t Le16(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
inline uint32_t Le32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(Le16(bytes, at)) | static_cast<uint32_t>(Le16(bytes, at + 2)) << 16;
}

}  // namespace zev::sim
