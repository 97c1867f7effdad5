#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>

#include "device/video/bmp24.h"

namespace zev {

// Fills `vectors` in turn from file offset `offset` of the open regular file `fd` on,
// reading again after a partial read. Returns the bytes read: fewer than the vectors
// hold when the file ends first or a read fails.
uint64_t ReadVectorsAt(int fd, uint64_t offset, iovec* vectors, size_t count);

// Reads `height` BMP pixel rows of `rowBytes` bytes from file offset `offset` of `fd`,
// each but the last followed in the file by its padding to a multiple of 4 bytes, and
// stores them in `order` back to back at `out`, unpadded. Each row goes straight to its
// place through vectored positional reads (rows lying back to back in the file and in
// `out` as one piece); the padding lands in a scratch area. Nothing past the last row's
// pixels is read. False on a read error or when the file ends first.
bool ReadBmpRows(int fd, uint64_t offset, uint8_t* out, uint64_t rowBytes, uint32_t height, BmpRowOrder order);

}  // namespace zev
