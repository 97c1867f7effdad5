// The EEPROM exports: write with read-back, read, erase, size.
#include "zevutil.h"
#include "zevutil/core/eeprom_api.h"
#include "zevutil/exports/process_library.h"

ZEV_STATUS ZEVLibWriteEEprom(const uint8_t* data, uint32_t offset, uint32_t length) {
  return zev::api::ZEVLibWriteEEprom(zev::ProcessContext(), data, offset, length);
}

ZEV_STATUS ZEVLibReadEeprom(uint8_t* buffer, uint32_t offset, uint32_t length) {
  return zev::api::ZEVLibReadEeprom(zev::ProcessContext(), buffer, offset, length);
}

ZEV_STATUS ZEVLibEraseEeprom(void) { return zev::api::ZEVLibEraseEeprom(zev::ProcessContext()); }

ZEV_STATUS ZEVCalcEepromSize(uint32_t* size) { return zev::api::ZEVCalcEepromSize(zev::ProcessContext(), size); }
