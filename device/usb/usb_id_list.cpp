#include "device/usb/usb_id_list.h"

#include <cstdlib>

namespace zev {
namespace {

bool ParseHex16(std::string_view text, uint16_t* value) {
  if (text.empty() || text.size() > 4) return false;
  uint32_t result = 0;
  for (char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return false;
    }
    result = result * 16 + digit;
  }
  *value = static_cast<uint16_t>(result);
  return true;
}

}  // namespace

std::vector<UsbId> DefaultUsbIds() { return {kBuiltInUsbId, kProgrammedUsbId}; }

bool ParseUsbIdList(std::string_view text, std::vector<UsbId>* ids, std::string* error) {
  std::vector<UsbId> parsed;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string_view item =
        text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const size_t colon = item.find(':');
    UsbId id{};
    if (colon == std::string_view::npos || !ParseHex16(item.substr(0, colon), &id.vendor) ||
        !ParseHex16(item.substr(colon + 1), &id.product)) {
      *error = "cannot parse '" + std::string(item) + "' (expected vvvv:pppp in hexadecimal, separated by commas)";
      return false;
    }
    parsed.push_back(id);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  ids->insert(ids->end(), parsed.begin(), parsed.end());
  return true;
}

bool UsbIdsFromEnvironment(std::vector<UsbId>* ids, std::string* error) {
  *ids = DefaultUsbIds();
  const char* extra = std::getenv("ZEV_USB_IDS");
  if (extra == nullptr || *extra == '\0') return true;
  std::string detail;
  if (!ParseUsbIdList(extra, ids, &detail)) {
    *error = "ZEV_USB_IDS: " + detail;
    return false;
  }
  return true;
}

}  // namespace zev
