#include "device/eeprom/eeprom_size.h"

#include <array>

#include "device/core/device_diag.h"
#include "device/eeprom/eeprom_controller.h"

namespace zev {
namespace {

// The probe addresses, in the order they are read and written: 0x100 aliases 0x000
// on a 256-byte part, 0x080 and 0x100 alias 0x000 on a 128-byte part.
constexpr std::array<uint32_t, 3> kProbeAddresses = {0x000, 0x100, 0x080};
constexpr std::array<uint8_t, 3> kTestBytes = {0xAA, 0x55, 0x44};

using ProbeBytes = std::array<uint8_t, 3>;

bool ReadProbeBytes(UsbDevice* dev, ProbeBytes* bytes) {
  for (size_t i = 0; i < kProbeAddresses.size(); ++i) {
    if (!EepromReadByte(dev, kProbeAddresses[i], &(*bytes)[i])) return false;
  }
  return true;
}

bool WriteProbeBytes(UsbDevice* dev, const ProbeBytes& bytes) {
  for (size_t i = 0; i < kProbeAddresses.size(); ++i) {
    if (!EepromWriteByte(dev, kProbeAddresses[i], bytes[i])) return false;
  }
  return true;
}

// The kept bytes back in place and writes disabled again. Writing all three is right
// whichever step failed: aliased addresses were read as the same cell, so they get
// the same value back.
bool Restore(UsbDevice* dev, const ProbeBytes& kept) { return WriteProbeBytes(dev, kept) && GfxEepromErWrDis(dev); }

void ReportImplausibleReadBack(UsbDevice* dev, const ProbeBytes& r) {
  if (r[0] != 0xAA && r[0] != 0x55 && r[0] != 0x44) DevPrintf(dev, "ERROR! LanGetE2pSize2() writng to offset zero\n");
  // 0x44 at 0x100: on a 128-byte part all three addresses are cell 0, written last
  // with 0x44.
  if (r[1] != 0xAA && r[1] != 0x55 && r[1] != 0x44) DevPrintf(dev, "ERROR! LanGetE2pSize2() writing to offset 0x100\n");
  if (r[2] != 0xAA && r[2] != 0x44) DevPrintf(dev, "ERROR! LanGetE2pSize2() writing to offset 0x80\n");
}

}  // namespace

uint32_t LanGetE2pSize2(UsbDevice* dev) {
  ProbeBytes kept{};
  if (!ReadProbeBytes(dev, &kept)) {
    DevPrintf(dev, "ERROR !!!EepromReadByte() Failed\n");
    return kEepromSizeFailed;
  }
  if (!GfxEepromErWrEn(dev)) {
    DevPrintf(dev, "ERROR: EepromErWrEn failed.\n");
    return kEepromSizeFailed;
  }
  // From here on a failure puts the kept bytes back before giving up, so a failed
  // measurement does not leave test bytes over the signature (best effort: the
  // restore fails too when the adapter has gone).
  if (!WriteProbeBytes(dev, kTestBytes)) {
    DevPrintf(dev, "ERROR !!!EepromWriteByte() Failed\n");
    Restore(dev, kept);
    return kEepromSizeFailed;
  }
  ProbeBytes readBack{};
  if (!ReadProbeBytes(dev, &readBack)) {
    DevPrintf(dev, "ERROR !!!EepromReadByte() Failed\n");
    Restore(dev, kept);
    return kEepromSizeFailed;
  }
  ReportImplausibleReadBack(dev, readBack);

  // 0x080 aliasing 0x000 is checked first: on a 128-byte part 0x100 aliases 0x000
  // as well, and that part would otherwise pass for a 256-byte one.
  uint32_t size = 512;
  if (readBack[0] == readBack[2]) {
    size = 128;
  } else if (readBack[0] == readBack[1]) {
    size = 256;
  }

  if (!Restore(dev, kept)) {
    DevPrintf(dev, "ERROR !!!EepromWriteByte() Failed\n");
    return kEepromSizeFailed;
  }
  return size;
}

}  // namespace zev
