#pragma once

#include <optional>
#include <string>

#include "sim/units/rgb_picture.h"

namespace zev::testing {

// ImageMagick's reading of an image file: a decoder independent of the toolset's, to
// compare pictures with. Available when the build found ImageMagick's convert.
bool ImageMagickAvailable();
// The picture, or nullopt with the reason in `error`.
std::optional<sim::RgbPicture> ReadWithImageMagick(const std::string& path, std::string* error);

}  // namespace zev::testing
