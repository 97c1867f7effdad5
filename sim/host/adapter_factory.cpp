#include "sim/host/adapter_factory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "device/eeprom/eeprom_image_builder.h"
#include "sim/devices/monitor.h"

namespace zev::sim::host {
namespace {

// The part's content: the image followed by erased bytes.
bool LoadImage(const std::string& path, uint32_t partSize, std::vector<uint8_t>* part, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (file == nullptr) {
    *error = "cannot read EEPROM image '" + path + "': " + std::strerror(errno);
    return false;
  }
  part->assign(partSize + 1, 0xFF);
  const size_t length = std::fread(part->data(), 1, part->size(), file);
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    *error = "cannot read EEPROM image '" + path + "': " + std::strerror(readErrno);
    return false;
  }
  if (length > partSize) {
    *error = "EEPROM image '" + path + "' is longer than the " + std::to_string(partSize) + "-byte part";
    return false;
  }
  part->resize(partSize);
  return true;
}

// The standard or the empty board, with the monitor and the audio rates given.
bool BuildBoard(const HostOptions& options, BoardDescription* board, std::string* error) {
  *board = options.emptyBoard ? BoardDescription::Empty() : BoardDescription{};
  if (options.monitorEdidFile || options.monitorBus) board->monitorBus = options.monitorBus.value_or(MonitorBus::Port2);
  if (options.monitorEdidFile) {
    try {
      board->monitorEdid = ReadEdidFile(*options.monitorEdidFile);
    } catch (const std::exception& e) {
      *error = e.what();
      return false;
    }
  }
  board->i2s0Hz = options.i2s0Hz.value_or(board->i2s0Hz);
  board->i2s1Hz = options.i2s1Hz.value_or(board->i2s1Hz);
  board->spdifHz = options.spdifHz.value_or(board->spdifHz);
  return true;
}

}  // namespace

bool AdapterFactory::Init(const HostOptions& options, std::string* error) {
  options_ = options;
  if (!BuildBoard(options, &board_, error)) return false;
  if (options.eepromFile) return LoadImage(*options.eepromFile, options.eepromSize, &eeprom_, error);
  std::string why;
  if (!BuildEepromImage(EepromImageFields{}, options.eepromSize, &eeprom_, &why)) {
    *error = "the default EEPROM image does not fit a " + std::to_string(options.eepromSize) +
             "-byte part (" + why + "); give one with --eeprom";
    return false;
  }
  return true;
}

SimAdapter::Options AdapterFactory::For(unsigned number) const { return With(options_.VariantOf(number)); }

SimAdapter::Options AdapterFactory::With(ChipVariant variant) const {
  SimAdapter::Options options;
  options.variant = variant;
  options.speed = options_.speed;
  options.eeprom = eeprom_;
  options.dramBytes = options_.dramMegabytes << 20;
  options.clock = nullptr;  // real time
  options.board = board_;
  return options;
}

}  // namespace zev::sim::host
