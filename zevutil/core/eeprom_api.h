#pragma once

#include <cstdint>

#include "zevutil.h"

namespace zev {
struct LibContext;
}

// The EEPROM exports' logic on an explicit library context. Arguments are checked
// before the device is touched, then the connection preamble runs. Reads and writes
// measure the part first and refuse ranges outside it.
namespace zev::api {

// Writes data[0 .. length-1] at offset .. offset+length-1 and reads them back.
// ZEV_SUCCESS only when every byte read back equals the one written.
ZEV_STATUS ZEVLibWriteEEprom(LibContext& ctx, const uint8_t* data, uint32_t offset, uint32_t length);
// buffer[0 .. length-1] = EEPROM bytes offset .. offset+length-1.
ZEV_STATUS ZEVLibReadEeprom(LibContext& ctx, uint8_t* buffer, uint32_t offset, uint32_t length);
// Erases the whole part (every byte 0xFF). No size measurement, no verification.
ZEV_STATUS ZEVLibEraseEeprom(LibContext& ctx);
// Measures the part; *size is 128, 256 or 512, or 0xFFFFFFFF with ZEV_LIB_FAILURE
// when the measurement failed.
ZEV_STATUS ZEVCalcEepromSize(LibContext& ctx, uint32_t* size);

}  // namespace zev::api
