// Reading 24-bit BMP files: the header check, the pixel rows, and turning them upright.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/video/bmp24.h"

namespace zev {
namespace {

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

const char* PathText(const char* path) { return path != nullptr ? path : "(null)"; }

// A picture file opened for reading. Only regular files count as opened: a directory
// or a device node is not a picture, and a pipe could block the reader.
class PictureFile {
 public:
  explicit PictureFile(const char* path) {
    if (path == nullptr) return;
    file_ = std::fopen(path, "rb");
    struct stat info {};
    if (file_ != nullptr && (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode))) {
      std::fclose(file_);
      file_ = nullptr;
    }
  }
  ~PictureFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;

  bool open() const { return file_ != nullptr; }
  bool Read(void* out, size_t bytes) { return std::fread(out, 1, bytes, file_) == bytes; }
  bool Skip(size_t bytes) {
    uint8_t scratch[4];
    return bytes <= sizeof scratch && Read(scratch, bytes);
  }
  bool SeekTo(uint32_t offset) { return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0; }
  // False when closing reports an error.
  bool Close() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed;
  }

 private:
  std::FILE* file_ = nullptr;
};

// The pixel rows may not start inside the two headers.
bool IsUsableBmp24(const uint8_t* fileHeader, const uint8_t* infoHeader) {
  return Le32(infoHeader) == kBmpInfoHeaderBytes && Le16(infoHeader + 14) == 24 && Le32(infoHeader + 16) == 0 &&
         BmpPixelOffset(fileHeader) >= kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
}

// Reads both headers; true when they describe a usable 24-bit BMP. A short header is
// reported under the calling routine's name.
bool ReadHeaders(PictureFile& file, const char* routine, const char* path, uint8_t* fileHeader,
                 uint8_t* infoHeader, DiagSink* diag) {
  if (!file.Read(fileHeader, kBmpFileHeaderBytes)) {
    DiagPrintf(diag, "ERROR:  %s(%s) failed reading BITMAPFILEHEADER\n", routine, path);
    return false;
  }
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return false;
  if (!file.Read(infoHeader, kBmpInfoHeaderBytes)) {
    DiagPrintf(diag, "ERROR:  %s(%s) failed reading BITMAPINFOHEADER\n", routine, path);
    return false;
  }
  return IsUsableBmp24(fileHeader, infoHeader);
}

// `height` rows of `rowBytes` pixel bytes, each followed in the file by the padding to
// a multiple of 4 bytes, stored back to back. The last row's padding is not needed.
bool ReadRows(PictureFile& file, uint8_t* out, uint64_t rowBytes, uint32_t height) {
  const uint32_t padding = static_cast<uint32_t>((4 - rowBytes % 4) % 4);
  if (padding == 0) return file.Read(out, rowBytes * height);
  for (uint32_t row = 0; row < height; ++row) {
    if (!file.Read(out + row * rowBytes, rowBytes)) return false;
    if (row + 1 < height && !file.Skip(padding)) return false;
  }
  return true;
}

bool ReadPixels(PictureFile& file, const char* path, const uint8_t* fileHeader, const uint8_t* infoHeader,
                uint32_t maxWidth, uint32_t maxHeight, uint32_t maxBytes, uint32_t* count, uint8_t* destination,
                DiagSink* diag) {
  // Compared as unsigned: a negative size never fits.
  const auto width = static_cast<uint32_t>(BmpWidth(infoHeader));
  const auto height = static_cast<uint32_t>(BmpHeight(infoHeader));
  if (width > maxWidth || height > maxHeight) return false;
  const uint64_t rowBytes = uint64_t{width} * kBmpBytesPerPixel;
  const uint64_t bytes = rowBytes * height;
  if (bytes > maxBytes) {
    DiagPrintf(diag, "ERROR: GfxReadFileBmp24('%s') bad dwBytesToRead=%ld, s/b <= %ld\n", path,
               static_cast<long>(bytes), static_cast<long>(maxBytes));
    return false;
  }
  if (bytes != 0 && destination == nullptr) return false;
  if (!file.SeekTo(BmpPixelOffset(fileHeader)) || !ReadRows(file, destination, rowBytes, height)) {
    DiagPrintf(diag, "ERROR:  GfxReadFileBmp24(%s) failed reading %ld bytes of bitmap\n", path,
               static_cast<long>(bytes));
    return false;
  }
  *count = static_cast<uint32_t>(bytes);
  return true;
}

}  // namespace

uint32_t BmpPixelOffset(const uint8_t* fileHeader) { return Le32(fileHeader + 10); }
int32_t BmpWidth(const uint8_t* infoHeader) { return static_cast<int32_t>(Le32(infoHeader + 4)); }
int32_t BmpHeight(const uint8_t* infoHeader) { return static_cast<int32_t>(Le32(infoHeader + 8)); }

uint64_t BmpPixelDataEnd(const uint8_t* fileHeader, const uint8_t* infoHeader) {
  const uint64_t rowBytes = uint64_t{static_cast<uint32_t>(BmpWidth(infoHeader))} * kBmpBytesPerPixel;
  const uint64_t height = static_cast<uint32_t>(BmpHeight(infoHeader));
  const uint64_t paddedRow = (rowBytes + 3) & ~uint64_t{3};
  return BmpPixelOffset(fileHeader) + (height == 0 ? 0 : paddedRow * (height - 1) + rowBytes);
}

uint32_t GfxExtractBmp24Hdr(const char* path, uint8_t fileHeader[kBmpFileHeaderBytes],
                            uint8_t infoHeader[kBmpInfoHeaderBytes], DiagSink* diag) {
  PictureFile file(path);
  if (!file.open()) {
    DiagPrintf(diag, "ERROR:  GfxExtractBmp24Hdr(%s) couldn't open file\n", PathText(path));
    return kBmpHdrCannotOpen;
  }
  const bool usable = ReadHeaders(file, "GfxExtractBmp24Hdr", path, fileHeader, infoHeader, diag);
  if (!file.Close()) {
    DiagPrintf(diag, "ERROR:  GfxExtractBmp24Hdr(%s) couldn't close file\n", path);
    return kBmpHdrCannotOpen;
  }
  return usable ? kBmpHdrUsable : kBmpHdrNotBmp24;
}

bool GfxReadFileBmp24(const char* path, uint8_t fileHeader[kBmpFileHeaderBytes],
                      uint8_t infoHeader[kBmpInfoHeaderBytes], uint32_t maxWidth, uint32_t maxHeight,
                      uint32_t maxBytes, uint32_t* count, uint8_t* destination, DiagSink* diag) {
  uint32_t stored = 0;
  PictureFile file(path);
  if (!file.open()) {
    DiagPrintf(diag, "ERROR:  GfxReadFileBmp24(%s) couldn't open file\n", PathText(path));
    if (count != nullptr) *count = 0;
    return false;
  }
  bool ok = ReadHeaders(file, "GfxReadFileBmp24", path, fileHeader, infoHeader, diag) &&
            ReadPixels(file, path, fileHeader, infoHeader, maxWidth, maxHeight, maxBytes, &stored, destination, diag);
  if (!file.Close()) {
    DiagPrintf(diag, "ERROR:  GfxReadFileBmp24(%s) couldn't close file\n", path);
    ok = false;
  }
  if (count != nullptr) *count = ok ? stored : 0;
  return ok;
}

void GfxFlipRows(uint8_t* pixels, uint32_t width, uint32_t height) {
  const size_t rowBytes = size_t{width} * kBmpBytesPerPixel;
  uint8_t chunk[4096];
  for (uint32_t top = 0, bottom = height - 1; top < height / 2; ++top, --bottom) {
    uint8_t* a = pixels + top * rowBytes;
    uint8_t* b = pixels + bottom * rowBytes;
    for (size_t done = 0; done < rowBytes;) {
      const size_t step = std::min(sizeof chunk, rowBytes - done);
      std::memcpy(chunk, a + done, step);
      std::memcpy(a + done, b + done, step);
      std::memcpy(b + done, chunk, step);
      done += step;
    }
  }
}

}  // namespace zev
