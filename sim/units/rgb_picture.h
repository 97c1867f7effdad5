#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zev::sim {

// A picture as a person sees it: rows from the top, pixels from the left, three bytes
// each (red, green, blue).
struct RgbPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgb;

  RgbPicture() = default;
  RgbPicture(uint32_t w, uint32_t h) : width(w), height(h), rgb(size_t{w} * h * 3) {}

  // 0x00RRGGBB of the pixel at (x, y).
  uint32_t Pixel(uint32_t x, uint32_t y) const {
    const uint8_t* p = &rgb[(size_t{y} * width + x) * 3];
    return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  }
  void SetPixel(uint32_t x, uint32_t y, uint32_t colour) {
    uint8_t* p = &rgb[(size_t{y} * width + x) * 3];
    p[0] = static_cast<uint8_t>(colour >> 16);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour);
  }
};

// `picture` as a 24-bit uncompressed BMP file: the 14- and 40-byte headers, then the
// rows bottom-up, blue-green-red, each padded to a multiple of 4 bytes. Empty when the
// picture is too large for the format's 32-bit sizes.
std::vector<uint8_t> EncodeBmp24(const RgbPicture& picture);
// Writes that file. False with the reason in `error`.
bool WriteBmp24File(const RgbPicture& picture, const std::string& path, std::string* error);

}  // namespace zev::sim
