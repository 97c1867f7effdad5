// The monitor's preferred mode: the first detailed timing descriptor of its EDID,
// decoded into a DmtMode that can program the display controller directly.
#include "device/core/lib_context.h"
#include "device/video/edid.h"

namespace zev {
namespace {

uint32_t HighBits(uint8_t byte, int shift, uint32_t mask) { return (static_cast<uint32_t>(byte) >> shift) & mask; }

// Truncated toward zero, in double precision as the nominal refresh is compared with
// table rows by exact value (59.94 Hz reports as 59). Zero totals give 0 rather than
// a division by zero.
uint32_t RefreshHz(uint32_t pixClk, uint32_t hTotal, uint32_t vTotal) {
  const double pixelsPerFrame = static_cast<double>(hTotal) * static_cast<double>(vTotal);
  if (pixelsPerFrame == 0.0) return 0;
  return static_cast<uint32_t>(static_cast<double>(pixClk) / pixelsPerFrame);
}

// Bytes d0 .. d17 of a detailed timing descriptor. Borders are not represented:
// blanking starts right after the active area.
DmtMode DecodeDetailedTiming(std::span<const uint8_t, kEdidDescriptorSize> d) {
  const uint32_t pixClk10kHz = d[0] | static_cast<uint32_t>(d[1]) << 8;
  const uint32_t hActive = d[2] | HighBits(d[4], 4, 0xF) << 8;
  const uint32_t hBlank = d[3] | HighBits(d[4], 0, 0xF) << 8;
  const uint32_t vActive = d[5] | HighBits(d[7], 4, 0xF) << 8;
  const uint32_t vBlank = d[6] | HighBits(d[7], 0, 0xF) << 8;
  const uint32_t hSyncOffset = d[8] | HighBits(d[11], 6, 0x3) << 8;
  const uint32_t hSyncWidth = d[9] | HighBits(d[11], 4, 0x3) << 8;
  const uint32_t vSyncOffset = HighBits(d[10], 4, 0xF) | HighBits(d[11], 2, 0x3) << 4;
  const uint32_t vSyncWidth = HighBits(d[10], 0, 0xF) | HighBits(d[11], 0, 0x3) << 4;

  DmtMode m{};
  m.dwWidth = hActive;
  m.dwHeight = vActive;
  m.dwPixClk = pixClk10kHz * 10000;
  m.dwHTotal = hActive + hBlank;
  m.dwHBlankStart = hActive;
  m.dwHBlankWidth = hBlank;
  m.dwHSyncStart = hActive + hSyncOffset;
  m.dwHSyncWidth = hSyncWidth;
  m.dwVTotal = vActive + vBlank;
  m.dwVBlankStart = vActive;
  m.dwVBlankWidth = vBlank;
  m.dwVSyncStart = vActive + vSyncOffset;
  m.dwVSyncWidth = vSyncWidth;
  m.dwRefresh = RefreshHz(m.dwPixClk, m.dwHTotal, m.dwVTotal);
  m.bSyncPol1 = static_cast<uint8_t>(HighBits(d[17], 2, 1));
  m.bSyncPol2 = static_cast<uint8_t>(HighBits(d[17], 1, 1));
  return m;
}

}  // namespace

int32_t EdidParseDetailedTiming(LibContext& ctx, std::span<const uint8_t> descriptor) {
  if (descriptor.data() == nullptr || descriptor.size() < kEdidDescriptorSize) return -1;
  ctx.connection.edidTiming = DecodeDetailedTiming(descriptor.first<kEdidDescriptorSize>());
  return 0;
}

int32_t EdidGetPreferredMode(LibContext& ctx, DmtMode* mode) {
  if (mode == nullptr) return -1;
  EdidBlock block{};
  if (EdidRead(ctx, &block) != 0) return -1;
  const std::span<const uint8_t> descriptor =
      std::span<const uint8_t>(block).subspan(kEdidPreferredTimingOffset, kEdidDescriptorSize);
  if (EdidParseDetailedTiming(ctx, descriptor) != 0) return -1;
  ctx.gEdidMode = ctx.connection.edidTiming;
  *mode = ctx.gEdidMode;
  return 0;
}

}  // namespace zev
