#include "sim/units/rgb_picture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zev::sim {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value);
  Put16(out, value >> 16);
}

constexpr uint32_t kHeaderBytes = 14 + 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dpi

}  // namespace

std::vector<uint8_t> EncodeBmp24(const RgbPicture& picture) {
  const uint64_t rowBytes = (uint64_t{picture.width} * 3 + 3) & ~uint64_t{3};
  const uint64_t imageBytes = rowBytes * picture.height;
  std::vector<uint8_t> file;
  if (kHeaderBytes + imageBytes > UINT32_MAX || picture.rgb.size() != uint64_t{picture.width} * picture.height * 3) {
    return file;
  }
  file.reserve(kHeaderBytes + imageBytes);
  file.push_back('B');
  file.push_back('M');
  Put32(file, static_cast<uint32_t>(kHeaderBytes + imageBytes));
  Put32(file, 0);  // reserved
  Put32(file, kHeaderBytes);
  Put32(file, 40);
  Put32(file, picture.width);
  Put32(file, picture.height);  // positive: bottom row first
  Put16(file, 1);               // planes
  Put16(file, 24);
  Put32(file, 0);  // no compression
  Put32(file, static_cast<uint32_t>(imageBytes));
  Put32(file, kPixelsPerMetre);
  Put32(file, kPixelsPerMetre);
  Put32(file, 0);  // colours used
  Put32(file, 0);  // important colours
  for (uint32_t y = picture.height; y-- > 0;) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t c = picture.Pixel(x, y);
      file.push_back(static_cast<uint8_t>(c));
      file.push_back(static_cast<uint8_t>(c >> 8));
      file.push_back(static_cast<uint8_t>(c >> 16));
    }
    file.resize(file.size() + (rowBytes - uint64_t{picture.width} * 3), 0);
  }
  return file;
}

bool WriteBmp24File(const RgbPicture& picture, const std::string& path, std::string* error) {
  const std::vector<uint8_t> file = EncodeBmp24(picture);
  if (file.empty()) {
    *error = "picture too large for a BMP file";
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (out == nullptr) {
    *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  if (std::fwrite(file.data(), 1, file.size(), out.get()) != file.size() || std::fclose(out.release()) != 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace zev::sim
