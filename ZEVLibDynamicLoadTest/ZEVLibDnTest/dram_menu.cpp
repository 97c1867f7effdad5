// The DRAM menu: size, write and read back a sample string, the three memory tests,
// and the DRAM frequency and termination.
#include <cstdint>
#include <cstdio>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

namespace zev::dntest {
namespace {

constexpr char kSample[] = "RAWDATA:1234567890ABCDEFGHIJKLMNOPQ";
constexpr uint32_t kSampleLength = 35;
static_assert(sizeof kSample - 1 == kSampleLength);

constexpr StatusLine kTransferLines[] = {lines::kLibFailure,    lines::kMoreThanOneDev, lines::kFrmWrkInitFail,
                                         lines::kHdwreInitFail, lines::kDevComFail,     lines::kInvalidArg,
                                         lines::kInvalidDramAdd, lines::kDramOutOfBound};
constexpr StatusLine kGetParamsLines[] = {lines::kLibFailure, lines::kInvalidArgTight};
constexpr StatusLine kSetParamsLines[] = {lines::kFrmWrkInitFailSpaced, lines::kDevComFail, lines::kHdwreInitFailTight,
                                          lines::kInvalidArgTight};

void PrintMenu() {
  std::fputs("\t1. DRAM EEPROM Size \n", stdout);
  std::fputs("\t2. Write in DRAM \n", stdout);
  std::fputs("\t3. Read from DRAM \n", stdout);
  std::fputs("\t4. Test Data Lines \n", stdout);
  std::fputs("\t5. Test Address Lines \n", stdout);
  std::fputs("\t6. Verify full DRAM \n", stdout);
  std::fputs("\t7. Get ODT and Frequency Value \n", stdout);
  std::fputs("\t8. Set ODT and Frequency Value \n", stdout);
  std::fputs("\t9. Exit \n", stdout);
}

void PrintSize(const LibrarySession& session) {
  const auto getMemSize = ZEV_REQUIRE(session, ZEVGetMemSize);
  if (getMemSize == nullptr) return;
  std::printf("DRAM Size = %d \n", static_cast<int>(getMemSize()));
}

void WriteSample(const LibrarySession& session) {
  const auto setParams = ZEV_REQUIRE(session, ZEVSetODTnFrequency);
  const auto write = ZEV_REQUIRE(session, ZEVDRAMWrite);
  if (setParams == nullptr || write == nullptr) return;
  // The sample runs at DDR2 125 MHz without termination; the outcome of this set-up is
  // not reported.
  setParams(1, 3);
  const ZEV_STATUS status = write(reinterpret_cast<const uint8_t*>(kSample), 0, kSampleLength, 0);
  if (status == ZEV_SUCCESS) {
    std::printf("String written to DRAM = %s \n", kSample);
  } else {
    PrintStatus(status, kTransferLines);
  }
}

void ReadSample(const LibrarySession& session) {
  const auto read = ZEV_REQUIRE(session, ZEVDRAMRead);
  if (read == nullptr) return;
  // Zero-filled beyond the bytes read, so they print as a string.
  uint8_t buffer[100] = {};
  const ZEV_STATUS status = read(buffer, 0, kSampleLength);
  if (status == ZEV_SUCCESS) {
    std::printf("String Read from DRAM = %s \n", reinterpret_cast<const char*>(buffer));
  } else {
    PrintStatus(status, kTransferLines);
  }
}

// A memory test and the lines for its pass code and for anything else.
void RunTest(decltype(&ZEVMemoryDataLinesTest) test, ZEV_STATUS passCode, const char* passed, const char* failed) {
  if (test == nullptr) return;
  std::fputs(test().status == passCode ? passed : failed, stdout);
}

void PrintParams(const LibrarySession& session) {
  const auto getParams = ZEV_REQUIRE(session, ZEVGetODTnFrequency);
  if (getParams == nullptr) return;
  MemoryParams params{};
  const ZEV_STATUS status = getParams(&params);
  if (status == ZEV_SUCCESS) {
    std::printf("Testing ZEVGetODTnFrequency API, Retruned values:\nstMemoryParamsObj.ODT = %d\n"
                "stMemoryParamsObj.Freq = %d \n\n",
                static_cast<int>(params.ODT), static_cast<int>(params.Freq));
  } else {
    PrintStatus(status, kGetParamsLines);
  }
}

void SetParams(const LibrarySession& session) {
  std::fputs("Enter Frequency:  \n\t 1 -> 300MHz, \n\t 2 -> 400MHz, \n\t 3 -> 533MHz, \n\t 4 -> 667MHz \n", stdout);
  const std::optional<int> frequency = ReadNumber();
  if (!frequency) return;
  std::fputs("Enter ODT Val:  \n\t 1 -> 75 Ohm, \n\t 2 -> 150 Ohm, \n\t 3 -> ODT Disabled \n", stdout);
  const std::optional<int> odt = ReadNumber();
  if (!odt) return;
  const auto setParams = ZEV_REQUIRE(session, ZEVSetODTnFrequency);
  if (setParams == nullptr) return;
  const ZEV_STATUS status = setParams(static_cast<uint32_t>(*frequency), static_cast<uint32_t>(*odt));
  if (status == ZEV_SUCCESS) {
    std::fputs(" Successfully set frequency and ODT Value \n\n", stdout);
  } else {
    PrintStatus(status, kSetParamsLines);
  }
}

}  // namespace

void DramMenu(const LibrarySource& source) {
  LibrarySession session(source);
  if (!CommonStart(session)) return;
  std::fputs("********* dram Function testing ******** \n\n", stdout);
  while (true) {
    PrintMenu();
    const std::optional<int> choice = ReadNumber();
    if (!choice) return;
    switch (*choice) {
      case 1:
        PrintSize(session);
        break;
      case 2:
        WriteSample(session);
        break;
      case 3:
        ReadSample(session);
        break;
      case 4:
        RunTest(ZEV_REQUIRE(session, ZEVMemoryDataLinesTest), ZEV_DATA_LINE_PASS,
                "Testing ZEVMemoryDataLinesTest API, Data Line test passed \n\n",
                "Testing ZEVMemoryDataLinesTest API, Data Line test failed \n\n");
        break;
      case 5:
        RunTest(ZEV_REQUIRE(session, ZEVMemoryAddressLinesTest), ZEV_ADDRESS_LINE_PASS,
                "Testing ZEVMemoryAddressLinesTest API, Address Line test passed \n\n",
                "Testing ZEVMemoryAddressLinesTest API, Address Line test failed \n\n");
        break;
      case 6:
        std::fputs("\nTesting full DRAM it will take several hours to finish... \n", stdout);
        RunTest(ZEV_REQUIRE(session, ZEVVerifyFullDRAM), ZEV_DRAM_VERIFY_PASS,
                "FULL DRAM test successfully completed \n", "FULL DRAM test failed \n");
        break;
      case 7:
        PrintParams(session);
        break;
      case 8:
        SetParams(session);
        break;
      default:
        return;
    }
  }
}

}  // namespace zev::dntest
