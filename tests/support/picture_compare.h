#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "sim/units/rgb_picture.h"

namespace zev::testing {

// Success when both pictures have the same size and every pixel is the same; otherwise
// the sizes, or the number of differing pixels and the first of them.
inline ::testing::AssertionResult SamePicture(const sim::RgbPicture& got, const sim::RgbPicture& want) {
  if (got.width != want.width || got.height != want.height) {
    return ::testing::AssertionFailure() << "picture is " << got.width << "x" << got.height << ", expected "
                                         << want.width << "x" << want.height;
  }
  uint64_t differing = 0;
  uint32_t firstX = 0, firstY = 0;
  for (uint32_t y = 0; y < got.height; ++y) {
    for (uint32_t x = 0; x < got.width; ++x) {
      if (got.Pixel(x, y) == want.Pixel(x, y)) continue;
      if (differing++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  char text[160];
  std::snprintf(text, sizeof text, "%llu pixels differ; first at %u,%u: 0x%06X, expected 0x%06X",
                static_cast<unsigned long long>(differing), firstX, firstY, got.Pixel(firstX, firstY),
                want.Pixel(firstX, firstY));
  return ::testing::AssertionFailure() << text;
}

// A picture of one colour.
inline sim::RgbPicture Filled(uint32_t width, uint32_t height, uint32_t colour) {
  sim::RgbPicture p(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) p.SetPixel(x, y, colour);
  }
  return p;
}

}  // namespace zev::testing
