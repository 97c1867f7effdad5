#include "tests/support/reference_decoder.h"

#include <cstdio>
#include <memory>

namespace zev::testing {
namespace {

constexpr const char* kConvert = ZEV_IMAGEMAGICK_CONVERT;

// A PPM header token: digits after whitespace (no comments in convert's output).
bool ReadNumber(std::FILE* in, uint32_t* value) { return std::fscanf(in, "%u", value) == 1; }

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

bool ImageMagickAvailable() { return *kConvert != '\0'; }

std::optional<sim::RgbPicture> ReadWithImageMagick(const std::string& path, std::string* error) {
  if (!ImageMagickAvailable()) {
    *error = "ImageMagick's convert was not found when the tests were built";
    return std::nullopt;
  }
  // Binary PPM, 8 bits per channel: "P6 W H 255" and one byte of whitespace, then
  // the rows from the top, red-green-blue.
  const std::string command = Quoted(kConvert) + " " + Quoted(path) + " -depth 8 ppm:- 2>/dev/null";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(popen(command.c_str(), "r"), &pclose);
  if (in == nullptr) {
    *error = "cannot run " + command;
    return std::nullopt;
  }
  char magic[3] = {};
  uint32_t width = 0, height = 0, maximum = 0;
  if (std::fread(magic, 1, 2, in.get()) != 2 || std::string(magic) != "P6" || !ReadNumber(in.get(), &width) ||
      !ReadNumber(in.get(), &height) || !ReadNumber(in.get(), &maximum) || maximum != 255 ||
      std::fgetc(in.get()) == EOF) {
    *error = "convert gave no 8-bit PPM for " + path;
    return std::nullopt;
  }
  sim::RgbPicture picture(width, height);
  if (std::fread(picture.rgb.data(), 1, picture.rgb.size(), in.get()) != picture.rgb.size()) {
    *error = "convert's PPM of " + path + " is short";
    return std::nullopt;
  }
  return picture;
}

}  // namespace zev::testing
