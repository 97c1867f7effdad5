// BMP pixel rows read by vectored positional reads, in file order or straight into
// upright order, so no separate flip pass has to follow.
#include "device/video/bmp24_rows.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

namespace zev {

uint64_t ReadVectorsAt(int fd, uint64_t offset, iovec* vectors, size_t count) {
  uint64_t total = 0;
  while (true) {
    for (; count > 0 && vectors->iov_len == 0; ++vectors) --count;
    if (count == 0) return total;
    const ssize_t got = preadv(fd, vectors, static_cast<int>(std::min<size_t>(count, IOV_MAX)),
                               static_cast<off_t>(offset + total));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return total;
    total += static_cast<uint64_t>(got);
    for (auto left = static_cast<size_t>(got); left > 0;) {
      const size_t taken = std::min(left, vectors->iov_len);
      vectors->iov_base = static_cast<uint8_t*>(vectors->iov_base) + taken;
      vectors->iov_len -= taken;
      left -= taken;
      if (vectors->iov_len == 0) {
        ++vectors;
        --count;
      }
    }
  }
}

bool ReadBmpRows(int fd, uint64_t offset, uint8_t* out, uint64_t rowBytes, uint32_t height, BmpRowOrder order) {
  const auto padding = static_cast<size_t>((4 - rowBytes % 4) % 4);
  if (padding == 0 && order == BmpRowOrder::AsInFile) {
    iovec all{out, static_cast<size_t>(rowBytes * height)};
    return ReadVectorsAt(fd, offset, &all, 1) == rowBytes * height;
  }
  const uint64_t fileRowBytes = rowBytes + padding;
  // The padding of every row goes to the same scratch bytes; they are never looked at.
  uint8_t scratch[3];
  // A row and its padding take two vectors; one read takes at most IOV_MAX.
  const uint32_t rowsPerRead = padding == 0 ? IOV_MAX : IOV_MAX / 2;
  std::vector<iovec> vectors;
  vectors.reserve(IOV_MAX);
  for (uint32_t first = 0, end = 0; first < height; first = end) {
    end = first + std::min(rowsPerRead, height - first);
    vectors.clear();
    uint64_t wanted = 0;
    for (uint32_t row = first; row < end; ++row) {
      const uint32_t place = order == BmpRowOrder::Upright ? height - 1 - row : row;
      vectors.push_back({out + uint64_t{place} * rowBytes, static_cast<size_t>(rowBytes)});
      wanted += rowBytes;
      if (padding != 0 && row + 1 < height) {
        vectors.push_back({scratch, padding});
        wanted += padding;
      }
    }
    if (ReadVectorsAt(fd, offset + uint64_t{first} * fileRowBytes, vectors.data(), vectors.size()) != wanted) {
      return false;
    }
  }
  return true;
}

}  // namespace zev
