#include "sim/units/eeprom_part.h"

#include <stdexcept>
#include <string>

namespace zev::sim {
namespace {

std::vector<uint8_t> Checked(std::vector<uint8_t> bytes) {
  const size_t size = bytes.size();
  if (size != 128 && size != 256 && size != 512) {
    throw std::invalid_argument("an EEPROM part holds 128, 256 or 512 bytes, not " + std::to_string(size));
  }
  return bytes;
}

}  // namespace

EepromPart::EepromPart(std::vector<uint8_t> bytes) : bytes_(Checked(std::move(bytes))) {}

void EepromPart::Assign(std::vector<uint8_t> bytes) { bytes_ = Checked(std::move(bytes)); }

}  // namespace zev::sim
