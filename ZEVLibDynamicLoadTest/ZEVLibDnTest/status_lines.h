#pragma once

#include <span>

#include "zevutil.h"

namespace zev::dntest {

// The line a menu prints for one status code. Menus differ in the ending of some names
// (" \n" or "\n"), so each call site lists the lines it prints.
struct StatusLine {
  ZEV_STATUS code;
  const char* text;
};

// Prints the line listed for `code`; a code the list does not hold prints nothing.
void PrintStatus(ZEV_STATUS code, std::span<const StatusLine> lines);

namespace lines {

inline constexpr StatusLine kLibFailure{ZEV_LIB_FAILURE, "ZEV_LIB_FAILURE \n"};
inline constexpr StatusLine kLibFailureTight{ZEV_LIB_FAILURE, "ZEV_LIB_FAILURE\n"};
inline constexpr StatusLine kMoreThanOneDev{ZEV_LIB_MORE_THAN_ONE_DEV, "ZEV_LIB_MORE_THAN_ONE_DEV \n"};
inline constexpr StatusLine kFrmWrkInitFail{ZEV_FRM_WRK_INIT_FAIL, "ZEV_FRM_WRK_INIT_FAIL\n"};
inline constexpr StatusLine kFrmWrkInitFailSpaced{ZEV_FRM_WRK_INIT_FAIL, "ZEV_FRM_WRK_INIT_FAIL \n"};
inline constexpr StatusLine kHdwreInitFail{ZEV_HDWRE_INIT_FAIL, "ZEV_HDWRE_INIT_FAIL \n"};
inline constexpr StatusLine kHdwreInitFailTight{ZEV_HDWRE_INIT_FAIL, "ZEV_HDWRE_INIT_FAIL\n"};
inline constexpr StatusLine kDevComFail{ZEV_DEV_COM_FAIL, "ZEV_DEV_COM_FAIL \n"};
inline constexpr StatusLine kInvalidArg{ZEV_INVALID_ARG, "ZEV_INVALID_ARG \n"};
inline constexpr StatusLine kInvalidArgTight{ZEV_INVALID_ARG, "ZEV_INVALID_ARG\n"};
inline constexpr StatusLine kEepromOutOfBound{ZEV_EEPROM_OUT_OF_BOUND, "ZEV_EEPROM_OUT_OF_BOUND \n"};
inline constexpr StatusLine kInvalidEepromAdd{ZEV_INVALID_EEPROM_ADD, "ZEV_INVALID_EEPROM_ADD \n"};
inline constexpr StatusLine kDramOutOfBound{ZEV_DRAM_OUT_OF_BOUND, "ZEV_DRAM_OUT_OF_BOUND \n"};
inline constexpr StatusLine kInvalidDramAdd{ZEV_INVALID_DRAM_ADD, "ZEV_INVALID_DRAM_ADD \n"};
inline constexpr StatusLine kEdidParseErr{ZEV_EDID_PARSE_ERR, "ZEV_EDID_PARSE_ERR \n"};
inline constexpr StatusLine kGeInitFailed{ZEV_GE_INIT_FAILED, "ZEV_GE_INIT_FAILED \n"};
inline constexpr StatusLine kInvalidDrawReq{ZEV_INVALID_DRAW_REQ, "ZEV_INVALID_DRAW_REQ \n"};
inline constexpr StatusLine kResolutionMismatch{ZEV_RESOLUTION_MISMATCH, "ZEV_RESOLUTION_MISMATCH \n"};
inline constexpr StatusLine kFileNotFound{ZEV_FILE_NOT_FOUND, "ZEV_FILE_NOT_FOUND \n"};
inline constexpr StatusLine kWrongFileFormat{ZEV_WRONG_FILE_FORMAT, "ZEV_WRONG_FILE_FORMAT \n"};

}  // namespace lines

// What the sub-menus print for a failed ZEVLibInit (the codes of their common start).
inline constexpr StatusLine kInitLines[] = {lines::kMoreThanOneDev, lines::kFrmWrkInitFail, lines::kHdwreInitFail};

}  // namespace zev::dntest
