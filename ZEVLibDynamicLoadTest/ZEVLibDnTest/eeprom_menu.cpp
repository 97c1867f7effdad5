// The EEPROM menu: size, write and read back a sample string, erase.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

namespace zev::dntest {
namespace {

constexpr char kSample[] = "RAWDATA:12345678900123456";
constexpr uint32_t kSampleLength = 25;
static_assert(sizeof kSample - 1 == kSampleLength);

constexpr StatusLine kEepromLines[] = {lines::kLibFailure,     lines::kMoreThanOneDev,    lines::kFrmWrkInitFail,
                                       lines::kHdwreInitFail,  lines::kDevComFail,        lines::kInvalidArg,
                                       lines::kInvalidEepromAdd, lines::kEepromOutOfBound};

void PrintMenu() {
  std::fputs("-------- EEPROM functions Test Menu -----------\n", stdout);
  std::fputs("\t1. Calculate EEPROM Size \n", stdout);
  std::fputs("\t2. Write in EEPROM \n", stdout);
  std::fputs("\t3. Read from EEPROM \n", stdout);
  std::fputs("\t4. Erase EEPROM \n", stdout);
  std::fputs("\t5. Exit \n", stdout);
}

void CalculateSize(const LibrarySession& session) {
  const auto calcSize = ZEV_REQUIRE(session, ZEVCalcEepromSize);
  if (calcSize == nullptr) return;
  uint32_t size = 0;
  const ZEV_STATUS status = calcSize(&size);
  if (status == ZEV_SUCCESS) {
    std::printf("EEPROM Size = %d \n", static_cast<int>(size));
  } else {
    PrintStatus(status, kInitLines);
  }
}

void WriteSample(const LibrarySession& session) {
  const auto write = ZEV_REQUIRE(session, ZEVLibWriteEEprom);
  if (write == nullptr) return;
  const ZEV_STATUS status = write(reinterpret_cast<const uint8_t*>(kSample), 0, kSampleLength);
  if (status == ZEV_SUCCESS) {
    std::printf("String written to EEPROM = '%s' \n", kSample);
  } else {
    PrintStatus(status, kEepromLines);
  }
}

void ReadSample(const LibrarySession& session) {
  const auto read = ZEV_REQUIRE(session, ZEVLibReadEeprom);
  if (read == nullptr) return;
  // Zero-filled well beyond the bytes read, so they print as a string.
  uint8_t buffer[100] = {};
  const ZEV_STATUS status = read(buffer, 0, kSampleLength);
  if (status == ZEV_SUCCESS) {
    std::printf("String read from EEPROM = '%s' \n", reinterpret_cast<const char*>(buffer));
  } else {
    PrintStatus(status, kEepromLines);
  }
}

void Erase(const LibrarySession& session) {
  const auto erase = ZEV_REQUIRE(session, ZEVLibEraseEeprom);
  if (erase == nullptr) return;
  const ZEV_STATUS status = erase();
  if (status == ZEV_SUCCESS) {
    std::fputs("Erase EEPROM success \n", stdout);
  } else {
    PrintStatus(status, kEepromLines);
  }
}

}  // namespace

void EepromMenu(const LibrarySource& source) {
  LibrarySession session(source);
  if (!CommonStart(session)) return;
  std::fputs("********* EEPROM Function testing ******** \n\n", stdout);
  while (true) {
    PrintMenu();
    const std::optional<int> choice = ReadNumber();
    if (!choice) return;
    switch (*choice) {
      case 1:
        CalculateSize(session);
        break;
      case 2:
        WriteSample(session);
        break;
      case 3:
        ReadSample(session);
        break;
      case 4:
        Erase(session);
        break;
      default:
        return;
    }
  }
}

}  // namespace zev::dntest
