#pragma once

#include <cstdint>

namespace zev {

// CEA-861 video identification code of a timing, 0 when the timing has none here.
uint32_t HdmiCeaVic(uint32_t width, uint32_t height, uint32_t refresh);

// Checksum byte of the AVI infoframe the transmitter sends (version 2, 13 bytes, the
// fixed bytes the set-up writes and `vic`): the whole frame then sums to 0 modulo 256.
uint8_t HdmiAviChecksum(uint32_t vic);

}  // namespace zev
