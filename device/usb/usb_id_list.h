#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

struct UsbId {
  uint16_t vendor;
  uint16_t product;
  bool operator==(const UsbId&) const = default;
};

// Identities matched without configuration: the chip's built-in identity (what an
// erased or unprogrammed adapter presents, so it can always be found and programmed)
// and the identity of the images this toolset generates. Both are pid.codes test IDs.
inline constexpr UsbId kBuiltInUsbId{0x1209, 0x0001};
inline constexpr UsbId kProgrammedUsbId{0x1209, 0x0002};
std::vector<UsbId> DefaultUsbIds();

// Parses "vvvv:pppp[,vvvv:pppp...]" (hexadecimal). False with a message on bad text.
bool ParseUsbIdList(std::string_view text, std::vector<UsbId>* ids, std::string* error);

// The default identities plus those in the environment variable ZEV_USB_IDS.
// False with a message naming the variable when it cannot be parsed.
bool UsbIdsFromEnvironment(std::vector<UsbId>* ids, std::string* error);

}  // namespace zev
