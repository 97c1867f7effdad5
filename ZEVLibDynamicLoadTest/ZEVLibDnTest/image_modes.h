#pragma once

#include <cstdint>

namespace zev::dntest {

// A resolution of the image menu's resolution sub-menu (choices 2 to 6) with the lines
// it prints.
struct FixedMode {
  int choice;
  uint32_t width;
  uint32_t height;
  const char* preferredFailed;  // ZEVPreferedResolution failed
  const char* notSupported;     // the monitor's preferred mode is smaller
  const char* initializing;
  const char* failed;  // printf format of the status code
  const char* success;
};

// The row for `choice`; null for a choice that is not a fixed mode.
const FixedMode* FindFixedMode(int choice);

// Every mode the sub-menu sets is at 60 Hz, except the monitor's preferred one.
inline constexpr uint32_t kFixedRefresh = 60;

}  // namespace zev::dntest
