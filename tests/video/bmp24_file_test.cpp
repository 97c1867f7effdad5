// Reading 24-bit BMP files: header checks over the whole BMP suite, the pixel rows in
// file order and upright (padding dropped, bfOffBits honoured, every reading route),
// bad paths and cut-off files, and the flip.
#include "device/video/bmp24.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "sim/units/rgb_picture.h"
#include "tests/support/bmp_suite.h"
#include "tests/support/display_mode.h"
#include "tests/support/temp_dir.h"

namespace zev {
namespace {

using ::testing::HasSubstr;

struct Headers {
  uint8_t file[kBmpFileHeaderBytes] = {};
  uint8_t info[kBmpInfoHeaderBytes] = {};
};

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string Suite(const std::string& file) { return std::string(ZEV_DATA_DIR) + "/bmp/" + file; }

TEST(GfxExtractBmp24Hdr, EveryFileOfTheSuite) {
  for (const testing::BmpSuiteFile& f : testing::BmpSuite()) {
    SCOPED_TRACE(f.file);
    CapturingDiagSink diag;
    Headers h;
    const uint32_t result = GfxExtractBmp24Hdr(f.Path().c_str(), h.file, h.info, &diag);
    EXPECT_EQ(result, f.UsableBmp24() ? kBmpHdrUsable : kBmpHdrNotBmp24);
    EXPECT_EQ(diag.Text(), "");
    if (result == kBmpHdrUsable) {
      EXPECT_EQ(BmpWidth(h.info), f.width);
      EXPECT_EQ(BmpHeight(h.info), f.height);
    }
  }
}

// Short headers are reported; a file that is no BMP, or whose pixel rows would start
// inside the headers, is refused quietly.
TEST(GfxExtractBmp24Hdr, ShortOrMalformedHeaders) {
  testing::TempDir dir;
  std::vector<uint8_t> good = sim::EncodeBmp24(sim::RgbPicture(2, 2));
  std::vector<uint8_t> offsetInHeader = good;
  Put32(offsetInHeader, 10, 53);
  std::vector<uint8_t> notBm = good;
  notBm[1] = 'A';
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    uint32_t result;
    const char* message;
  } cases[] = {
      {"empty", {}, kBmpHdrNotBmp24, "failed reading BITMAPFILEHEADER"},
      {"13 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 13), kBmpHdrNotBmp24,
       "failed reading BITMAPFILEHEADER"},
      {"53 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 53), kBmpHdrNotBmp24,
       "failed reading BITMAPINFOHEADER"},
      {"headers only", std::vector<uint8_t>(good.begin(), good.begin() + 54), kBmpHdrUsable, ""},
      {"BA signature", notBm, kBmpHdrNotBmp24, ""},
      {"pixel offset 53", offsetInHeader, kBmpHdrNotBmp24, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Write("f.bmp", c.bytes);
    CapturingDiagSink diag;
    Headers h;
    EXPECT_EQ(GfxExtractBmp24Hdr(path.c_str(), h.file, h.info, &diag), c.result);
    if (*c.message == '\0') {
      EXPECT_EQ(diag.Text(), "");
    } else {
      EXPECT_EQ(diag.Text(), "ERROR:  GfxExtractBmp24Hdr(" + path + ") " + c.message + "\n");
    }
  }
}

// Everything that is not a readable regular file "couldn't open".
TEST(GfxExtractBmp24Hdr, PathsThatCannotBeOpened) {
  testing::TempDir dir;
  const std::string file = dir.Write("plain.bmp", sim::EncodeBmp24(sim::RgbPicture(1, 1)));
  const std::string unreadable = dir.Write("unreadable.bmp", sim::EncodeBmp24(sim::RgbPicture(1, 1)));
  ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
  // A FIFO nobody writes to is refused at once, not waited on.
  const std::string fifo = dir.File("pipe.bmp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::vector<std::string> paths = {dir.File("missing.bmp"), dir.path().string(), file + "/inside.bmp", "/dev/null",
                                    fifo};
  if (access(unreadable.c_str(), R_OK) != 0) paths.push_back(unreadable);  // root reads it anyway
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    CapturingDiagSink diag;
    Headers h;
    EXPECT_EQ(GfxExtractBmp24Hdr(path.c_str(), h.file, h.info, &diag), kBmpHdrCannotOpen);
    EXPECT_EQ(diag.Text(), "ERROR:  GfxExtractBmp24Hdr(" + path + ") couldn't open file\n");
  }
  CapturingDiagSink diag;
  Headers h;
  EXPECT_EQ(GfxExtractBmp24Hdr(nullptr, h.file, h.info, &diag), kBmpHdrCannotOpen);
}

// A destination with a guard area behind the bytes the read may store.
struct Destination {
  explicit Destination(size_t n) : bytes(n + kGuard, 0xAA), size(n) {}
  bool GuardIntact() const {
    return std::all_of(bytes.begin() + static_cast<long>(size), bytes.end(), [](uint8_t b) { return b == 0xAA; });
  }
  static constexpr size_t kGuard = 64;
  std::vector<uint8_t> bytes;
  size_t size;
};

// g/rgb24 is 127 pixels wide: 381 pixel bytes in 384-byte rows. g/rgb24pal and
// q/rgb24largepal carry colour tables of 1024 and 1200 bytes before the pixels.
// Upright, the file's last row comes first.
TEST(GfxReadFileBmp24, RowsWithoutPaddingFromThePixelOffset) {
  for (const auto& [name, order] : {std::pair{"g/rgb24.bmp", BmpRowOrder::AsInFile},
                                    {"g/rgb24pal.bmp", BmpRowOrder::AsInFile},
                                    {"q/rgb24largepal.bmp", BmpRowOrder::AsInFile},
                                    {"g/rgb24.bmp", BmpRowOrder::Upright},
                                    {"g/rgb24pal.bmp", BmpRowOrder::Upright},
                                    {"q/rgb24largepal.bmp", BmpRowOrder::Upright}}) {
    SCOPED_TRACE(::testing::Message() << name << (order == BmpRowOrder::Upright ? " upright" : " as in file"));
    const std::vector<uint8_t> file = testing::ReadFileBytes(Suite(name));
    ASSERT_GE(file.size(), 54u);
    const uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24;
    constexpr uint32_t kRow = 127 * 3, kPaddedRow = 384, kBytes = kRow * 64;
    ASSERT_EQ(file.size(), offset + kPaddedRow * 64);

    Destination out(kBytes);
    Headers h;
    uint32_t count = 1;
    CapturingDiagSink diag;
    const std::string path = Suite(name);
    ASSERT_TRUE(
        GfxReadFileBmp24(path.c_str(), h.file, h.info, 127, 64, kBytes, &count, out.bytes.data(), &diag, order));
    EXPECT_EQ(count, kBytes);
    EXPECT_EQ(diag.Text(), "");
    for (uint32_t row = 0; row < 64; ++row) {
      const uint32_t fileRow = order == BmpRowOrder::Upright ? 63 - row : row;
      ASSERT_EQ(std::memcmp(&out.bytes[row * kRow], &file[offset + fileRow * kPaddedRow], kRow), 0) << "row " << row;
    }
    EXPECT_TRUE(out.GuardIntact());
  }
}

TEST(GfxReadFileBmp24, LimitsAreCheckedBeforeReading) {
  const std::string path = Suite("g/rgb24.bmp");
  const struct {
    const char* what;
    uint32_t maxWidth, maxHeight, maxBytes;
    std::string message;
  } cases[] = {
      {"too wide", 126, 64, 24384, ""},
      {"too high", 127, 63, 24384, ""},
      {"destination too small", 127, 64, 24383,
       "ERROR: GfxReadFileBmp24('" + path + "') bad dwBytesToRead=24384, s/b <= 24383\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Destination out(0);
    Headers h;
    uint32_t count = 7;
    CapturingDiagSink diag;
    EXPECT_FALSE(GfxReadFileBmp24(path.c_str(), h.file, h.info, c.maxWidth, c.maxHeight, c.maxBytes, &count,
                                  out.bytes.data(), &diag));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(diag.Text(), c.message);
    EXPECT_TRUE(out.GuardIntact()) << "nothing stored";
  }
}

// A file cut anywhere in its pixels fails with the message; cut after the last row's
// pixels (only its padding missing) it reads completely. Nothing is stored beyond the
// picture's bytes. In both orders, on every reading route: 5 pixels make 15 bytes in
// 16-byte rows, 4 pixels 12 bytes with no padding, 86 pixels 258 bytes in 260.
TEST(GfxReadFileBmp24, CutOffFiles) {
  testing::TempDir dir;
  for (const uint32_t width : {5u, 4u, 86u}) {
    constexpr uint32_t kHeight = 3;
    const std::vector<uint8_t> whole = sim::EncodeBmp24(testing::TestPattern(width, kHeight));
    const size_t row = size_t{width} * 3, paddedRow = (row + 3) & ~size_t{3}, bytes = row * kHeight;
    ASSERT_EQ(whole.size(), 54 + paddedRow * kHeight);
    const size_t lastRowEnd = 54 + paddedRow * (kHeight - 1) + row;
    const struct {
      size_t length;
      bool ok;
    } cases[] = {{54, false}, {55, false}, {54 + paddedRow, false}, {lastRowEnd - 1, false},
                 {lastRowEnd, true}, {whole.size(), true}};
    for (const BmpRowOrder order : {BmpRowOrder::AsInFile, BmpRowOrder::Upright}) {
      for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << width << " wide, " << c.length << " bytes"
                                          << (order == BmpRowOrder::Upright ? ", upright" : ""));
        const std::string path =
            dir.Write("cut.bmp", std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(c.length)));
        Destination out(bytes);
        Headers h;
        uint32_t count = 9;
        CapturingDiagSink diag;
        EXPECT_EQ(GfxReadFileBmp24(path.c_str(), h.file, h.info, width, kHeight, static_cast<uint32_t>(bytes), &count,
                                   out.bytes.data(), &diag, order),
                  c.ok);
        EXPECT_EQ(count, c.ok ? bytes : 0u);
        EXPECT_EQ(diag.Text(), c.ok ? "" : "ERROR:  GfxReadFileBmp24(" + path + ") failed reading " +
                                               std::to_string(bytes) + " bytes of bitmap\n");
        EXPECT_TRUE(out.GuardIntact());
      }
    }
  }
}

// The picture's pixels as blue-green-red bytes, top row first.
std::vector<uint8_t> UprightBgr(const sim::RgbPicture& picture) {
  std::vector<uint8_t> bytes;
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t colour = picture.Pixel(x, y);
      bytes.insert(bytes.end(), {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                                 static_cast<uint8_t>(colour >> 16)});
    }
  }
  return bytes;
}

// Upright rows come out top row first on every route: short rows lying back to back in
// the file (4 and 84 pixels, read whole and flipped), short padded rows (1, 5 and 85
// pixels), long rows with and without padding (86 and 128 pixels), and more rows than
// one vectored read takes (1100).
TEST(GfxReadFileBmp24, UprightRowsOnEveryRoute) {
  static_assert(84 * 3 < kBmpMinPlacedRowBytes && 85 * 3 < kBmpMinPlacedRowBytes &&
                86 * 3 >= kBmpMinPlacedRowBytes);
  testing::TempDir dir;
  const struct {
    uint32_t width, height;
  } sizes[] = {{4, 3}, {84, 5}, {1, 1}, {5, 3}, {85, 4}, {86, 3}, {128, 2}, {86, 1100}, {128, 1100}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
    const sim::RgbPicture picture = testing::TestPattern(size.width, size.height);
    const std::string path = dir.Write("p.bmp", sim::EncodeBmp24(picture));
    const std::vector<uint8_t> expected = UprightBgr(picture);
    Destination out(expected.size());
    Headers h;
    uint32_t count = 0;
    CapturingDiagSink diag;
    ASSERT_TRUE(GfxReadFileBmp24(path.c_str(), h.file, h.info, size.width, size.height,
                                 static_cast<uint32_t>(expected.size()), &count, out.bytes.data(), &diag,
                                 BmpRowOrder::Upright));
    EXPECT_EQ(count, expected.size());
    EXPECT_EQ(diag.Text(), "");
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.bytes.begin()));
    EXPECT_TRUE(out.GuardIntact());
  }
}

TEST(GfxReadFileBmp24, OpenAndHeaderFailuresUseItsOwnName) {
  testing::TempDir dir;
  const std::string missing = dir.File("missing.bmp");
  const std::string shortFile = dir.Write("short.bmp", std::vector<uint8_t>(20, 'B'));
  Headers h;
  uint32_t count = 3;
  Destination out(16);
  CapturingDiagSink diag;
  EXPECT_FALSE(GfxReadFileBmp24(missing.c_str(), h.file, h.info, 4, 4, 16, &count, out.bytes.data(), &diag));
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(GfxReadFileBmp24(shortFile.c_str(), h.file, h.info, 4, 4, 16, &count, out.bytes.data(), &diag));
  EXPECT_EQ(diag.Text(), "ERROR:  GfxReadFileBmp24(" + missing + ") couldn't open file\n");
}

TEST(GfxReadFileBmp24, ShortHeadersAreReported) {
  testing::TempDir dir;
  std::vector<uint8_t> bytes = sim::EncodeBmp24(sim::RgbPicture(1, 1));
  bytes.resize(30);
  const std::string path = dir.Write("short.bmp", bytes);
  Headers h;
  uint32_t count = 0;
  uint8_t out[3];
  CapturingDiagSink diag;
  EXPECT_FALSE(GfxReadFileBmp24(path.c_str(), h.file, h.info, 1, 1, 3, &count, out, &diag));
  EXPECT_EQ(diag.Text(), "ERROR:  GfxReadFileBmp24(" + path + ") failed reading BITMAPINFOHEADER\n");
}

// Rows of width x 3 bytes swap top for bottom; an odd middle row stays. Rows wider
// than the routine's copy chunk swap whole.
TEST(GfxFlipRows, TurnsRowsUpsideDown) {
  for (uint32_t width : {1u, 2u, 2000u}) {
    for (uint32_t height : {0u, 1u, 2u, 3u, 4u}) {
      SCOPED_TRACE(::testing::Message() << width << "x" << height);
      const size_t row = size_t{width} * 3;
      std::vector<uint8_t> pixels(row * height + 8);
      std::iota(pixels.begin(), pixels.end(), 1);
      const std::vector<uint8_t> before = pixels;
      GfxFlipRows(pixels.data(), width, height);
      for (uint32_t r = 0; r < height; ++r) {
        ASSERT_EQ(std::memcmp(&pixels[r * row], &before[(height - 1 - r) * row], row), 0) << "row " << r;
      }
      EXPECT_TRUE(std::equal(pixels.end() - 8, pixels.end(), before.end() - 8)) << "nothing after the rows";
    }
  }
}

}  // namespace
}  // namespace zev
