#include "zevutil/core/eeprom_api.h"

#include <algorithm>
#include <array>

#include "device/core/lib_context.h"
#include "device/eeprom/eeprom_controller.h"
#include "device/eeprom/eeprom_size.h"
#include "zevutil/core/lib_frame.h"

namespace zev::api {
namespace {

// Measures the part and checks that [offset, offset + length) lies within it. The
// end is computed in 64 bits: a range whose end wraps past 2^32 runs past the part
// too, it must not pass as a small number.
ZEV_STATUS CheckRange(LibContext& ctx, uint32_t offset, uint32_t length) {
  uint32_t size = 0;
  if (ZEVCalcEepromSize(ctx, &size) != ZEV_SUCCESS) return ZEV_LIB_FAILURE;
  if (offset > size) return ZEV_INVALID_EEPROM_ADD;
  if (uint64_t{offset} + length > size) return ZEV_EEPROM_OUT_OF_BOUND;
  return ZEV_SUCCESS;
}

// Reads the range back and compares it with what was written.
ZEV_STATUS Verify(UsbDevice* dev, const uint8_t* data, uint32_t offset, uint32_t length) {
  // The range has been checked against the part, and no part is larger than the
  // controller's address span.
  std::array<uint8_t, kEepromAddressSpan> readBack{};
  if (length > readBack.size()) return ZEV_LIB_FAILURE;
  if (!EepromReadBlock(dev, offset, readBack.data(), length)) return ZEV_LIB_FAILURE;
  return std::equal(data, data + length, readBack.begin()) ? ZEV_SUCCESS : ZEV_LIB_FAILURE;
}

}  // namespace

ZEV_STATUS ZEVCalcEepromSize(LibContext& ctx, uint32_t* size) {
  if (size == nullptr) return ZEV_INVALID_ARG;
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  *size = LanGetE2pSize2(ConnectedDevice(ctx));
  return *size == kEepromSizeFailed ? ZEV_LIB_FAILURE : ZEV_SUCCESS;
}

ZEV_STATUS ZEVLibReadEeprom(LibContext& ctx, uint8_t* buffer, uint32_t offset, uint32_t length) {
  if (buffer == nullptr || length == 0) return ZEV_INVALID_ARG;
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  if (const ZEV_STATUS range = CheckRange(ctx, offset, length); range != ZEV_SUCCESS) return range;
  return EepromReadBlock(ConnectedDevice(ctx), offset, buffer, length) ? ZEV_SUCCESS : ZEV_LIB_FAILURE;
}

ZEV_STATUS ZEVLibWriteEEprom(LibContext& ctx, const uint8_t* data, uint32_t offset, uint32_t length) {
  if (data == nullptr || length == 0) return ZEV_INVALID_ARG;
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  if (const ZEV_STATUS range = CheckRange(ctx, offset, length); range != ZEV_SUCCESS) return range;
  UsbDevice* dev = ConnectedDevice(ctx);
  // A failed run leaves writes enabled and the bytes written so far in place.
  if (!GfxEepromErWrEn(dev) || !EepromWriteBlock(dev, offset, data, length)) return ZEV_LIB_FAILURE;
  // The bytes are in; whether the disable went through does not change that, and
  // the read-back below tells whether they are right.
  GfxEepromErWrDis(dev);
  return Verify(dev, data, offset, length);
}

ZEV_STATUS ZEVLibEraseEeprom(LibContext& ctx) {
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  UsbDevice* dev = ConnectedDevice(ctx);
  if (!GfxEepromErWrEn(dev) || !GfxEepromEraseAll(dev)) return ZEV_LIB_FAILURE;
  GfxEepromErWrDis(dev);
  return ZEV_SUCCESS;
}

}  // namespace zev::api
