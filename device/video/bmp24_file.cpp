// Reading 24-bit BMP files: the header check, the pixel rows, and turning them upright.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "device/video/bmp24.h"
#include "device/video/bmp24_rows.h"

namespace zev {
namespace {

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

const char* PathText(const char* path) { return path != nullptr ? path : "(null)"; }

// A picture file opened for reading. Only regular files count as opened: a directory
// or a device node is not a picture, and a pipe could block the reader (opened without
// waiting, so a FIFO with no writer is refused rather than waited for). All reads are
// positional.
class PictureFile {
 public:
  explicit PictureFile(const char* path) {
    if (path == nullptr) return;
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd_ >= 0 && (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~PictureFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;

  bool open() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }
  // The bytes read from `offset` into `out`: fewer than asked at the end of the file.
  uint64_t ReadAt(uint64_t offset, void* out, size_t bytes) {
    iovec vector{out, bytes};
    return ReadVectorsAt(fd_, offset, &vector, 1);
  }
  // False when closing reports an error.
  bool Close() {
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_ = -1;
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
  uint8_t headers[kBmpFileHeaderBytes + kBmpInfoHeaderBytes];
  const uint64_t got = file.ReadAt(0, headers, sizeof headers);
  if (got < kBmpFileHeaderBytes) {
    DiagPrintf(diag, "ERROR:  %s(%s) failed reading BITMAPFILEHEADER\n", routine, path);
    return false;
  }
  std::memcpy(fileHeader, headers, kBmpFileHeaderBytes);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return false;
  if (got < sizeof headers) {
    DiagPrintf(diag, "ERROR:  %s(%s) failed reading BITMAPINFOHEADER\n", routine, path);
    return false;
  }
  std::memcpy(infoHeader, headers + kBmpFileHeaderBytes, kBmpInfoHeaderBytes);
  return IsUsableBmp24(fileHeader, infoHeader);
}

// All rows of the picture from `offset` on, in `order`. Short rows that lie back to back
// in the file are read in one piece and turned upright afterwards, which costs less
// than a read vector for each of them.
bool ReadRowsInOrder(PictureFile& file, uint32_t offset, uint8_t* out, uint32_t width, uint32_t height,
                     BmpRowOrder order) {
  const uint64_t rowBytes = uint64_t{width} * kBmpBytesPerPixel;
  if (order == BmpRowOrder::Upright && rowBytes < kBmpMinPlacedRowBytes && rowBytes % 4 == 0) {
    if (!ReadBmpRows(file.descriptor(), offset, out, rowBytes, height, BmpRowOrder::AsInFile)) return false;
    GfxFlipRows(out, width, height);
    return true;
  }
  return ReadBmpRows(file.descriptor(), offset, out, rowBytes, height, order);
}

bool ReadPixels(PictureFile& file, const char* path, const uint8_t* fileHeader, const uint8_t* infoHeader,
                uint32_t maxWidth, uint32_t maxHeight, uint32_t maxBytes, uint32_t* count, uint8_t* destination,
                BmpRowOrder order, DiagSink* diag) {
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
  if (!ReadRowsInOrder(file, BmpPixelOffset(fileHeader), destination, width, height, order)) {
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
                      uint32_t maxBytes, uint32_t* count, uint8_t* destination, DiagSink* diag,
                      BmpRowOrder order) {
  uint32_t stored = 0;
  PictureFile file(path);
  if (!file.open()) {
    DiagPrintf(diag, "ERROR:  GfxReadFileBmp24(%s) couldn't open file\n", PathText(path));
    if (count != nullptr) *count = 0;
    return false;
  }
  bool ok = ReadHeaders(file, "GfxReadFileBmp24", path, fileHeader, infoHeader, diag) &&
            ReadPixels(file, path, fileHeader, infoHeader, maxWidth, maxHeight, maxBytes, &stored, destination, order,
                       diag);
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
