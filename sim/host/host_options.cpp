#include "sim/host/host_options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "sim/host/board_words.h"
#include "sim/host/virtual_bus.h"

namespace zev::sim::host {

const char* const kHostUsage =
    "usage: zev-sim [options] -- COMMAND [ARGS...]\n"
    "       zev-sim ctl [--socket PATH] SUBCOMMAND [ARGS...]   (zev-sim ctl --help lists them)\n"
    "\n"
    "Hosts virtual ZEV adapters as USB devices that COMMAND finds through libusb, runs\n"
    "COMMAND, and exits with its exit status. COMMAND gets UMOCKDEV_DIR and LD_PRELOAD\n"
    "for the virtual devices and ZEV_SIM_CTL, the control socket of `zev-sim ctl`.\n"
    "\n"
    "options:\n"
    "  --adapters N          number of adapters at start, 0 to 16 (default 1)\n"
    "  --variant V[,V...]    chip of each adapter: a0, rev1 or fpgaNNN (default rev1);\n"
    "                        the last one given serves the adapters after it\n"
    "  --speed S             full, high or super (default high)\n"
    "  --eeprom FILE         EEPROM image of every adapter (default: the toolset's image)\n"
    "  --eeprom-size BYTES   EEPROM part size: 128, 256 or 512 (default 512)\n"
    "  --dram-size MB        DRAM part size: 32 or 64 (default 32)\n"
    "  --trace FILE          write every transfer and bus event to FILE\n"
    "  --board B             standard (a monitor on I2C port 2, the CH7301 and, on\n"
    "                        silicon, the ANX9805) or empty (nothing on the I2C buses)\n"
    "  --monitor-edid FILE   the monitor's EDID (default: a 1920 x 1080 monitor's)\n"
    "  --monitor-port P      the monitor's DDC lines on I2C port 1 or 2, or none\n"
    "                        (default 2; either monitor option adds one to an empty board)\n"
    "  --i2s0-rate HZ        sampling rate of I2S input 0 (default 48000; 0 is silence)\n"
    "  --i2s1-rate HZ        sampling rate of I2S input 1 (default 0)\n"
    "  --spdif-rate HZ       sampling rate of the S/PDIF input (default 0)\n"
    "  --help                show this text\n";

ChipVariant HostOptions::VariantOf(unsigned number) const {
  return variants.at(std::min<size_t>(number, variants.size()) - 1);
}

namespace {

bool ParseUnsigned(std::string_view text, unsigned* value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseVariants(std::string_view text, std::vector<ChipVariant>* variants, std::string* error) {
  variants->clear();
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view name = text.substr(0, comma);
    const std::optional<ChipVariant> variant = ChipVariant::Parse(name);
    if (!variant) {
      *error = "--variant: unknown chip variant '" + std::string(name) + "' (use a0, rev1 or fpgaNNN)";
      return false;
    }
    variants->push_back(*variant);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

bool ParseSpeed(std::string_view text, BusSpeed* speed, std::string* error) {
  if (text == "full") {
    *speed = BusSpeed::Full;
  } else if (text == "high") {
    *speed = BusSpeed::High;
  } else if (text == "super") {
    *speed = BusSpeed::Super;
  } else {
    *error = "--speed: unknown bus speed '" + std::string(text) + "' (use full, high or super)";
    return false;
  }
  return true;
}

bool IsBoardOption(std::string_view name) {
  return name == "--board" || name == "--monitor-edid" || name == "--monitor-port" || name == "--i2s0-rate" ||
         name == "--i2s1-rate" || name == "--spdif-rate";
}

// One of the options about the board.
bool ParseBoardOption(const std::string& name, const std::string& value, HostOptions* options, std::string* error) {
  if (name == "--board") {
    if (value != "standard" && value != "empty") {
      *error = "--board: unknown board '" + value + "' (use standard or empty)";
      return false;
    }
    options->emptyBoard = value == "empty";
  } else if (name == "--monitor-edid") {
    if (value.empty()) {
      *error = "--monitor-edid: the file name is empty";
      return false;
    }
    options->monitorEdidFile = value;
  } else if (name == "--monitor-port") {
    options->monitorBus = ParseMonitorPort(value);
    if (!options->monitorBus) {
      *error = "--monitor-port: '" + value + "' is not a monitor port (use 1, 2 or none)";
      return false;
    }
  } else {
    const std::optional<uint32_t> rate = ParseAudioRate(value);
    if (!rate) {
      *error = name + ": '" + value + "' is not a sampling rate in Hz from 0 to " + std::to_string(kMaxAudioRateHz);
      return false;
    }
    std::optional<uint32_t>& field = name == "--i2s0-rate"   ? options->i2s0Hz
                                     : name == "--i2s1-rate" ? options->i2s1Hz
                                                             : options->spdifHz;
    field = rate;
  }
  return true;
}

}  // namespace

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions* options, std::string* error) {
  *options = HostOptions{};
  size_t i = 0;
  for (; i < args.size(); ++i) {
    std::string name = args[i];
    if (name == "--") {
      ++i;
      break;
    }
    if (name == "--help" || name == "-h") {
      options->help = true;
      return true;
    }
    if (!name.starts_with("--")) {
      *error = "unexpected argument '" + name + "' (the command follows --; try --help)";
      return false;
    }
    // Values come as "--name value" or "--name=value".
    std::optional<std::string> value;
    if (const size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    const bool known = name == "--adapters" || name == "--variant" || name == "--speed" || name == "--eeprom" ||
                       name == "--eeprom-size" || name == "--dram-size" || name == "--trace" ||
                       IsBoardOption(name);
    if (!known) {
      *error = "unknown option '" + name + "' (try --help)";
      return false;
    }
    if (!value) {
      if (i + 1 >= args.size() || args[i + 1].starts_with("--")) {
        *error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (name == "--adapters") {
      if (!ParseUnsigned(*value, &options->adapters) || options->adapters > VirtualBus::kMaxAdapters) {
        *error = "--adapters: '" + *value + "' is not a number from 0 to " + std::to_string(VirtualBus::kMaxAdapters);
        return false;
      }
    } else if (name == "--variant") {
      if (!ParseVariants(*value, &options->variants, error)) return false;
    } else if (name == "--speed") {
      if (!ParseSpeed(*value, &options->speed, error)) return false;
    } else if (name == "--eeprom") {
      if (value->empty()) {
        *error = "--eeprom: the file name is empty";
        return false;
      }
      options->eepromFile = *value;
    } else if (name == "--eeprom-size") {
      unsigned size = 0;
      if (!ParseUnsigned(*value, &size) || (size != 128 && size != 256 && size != 512)) {
        *error = "--eeprom-size: '" + *value + "' is not an EEPROM part size (use 128, 256 or 512)";
        return false;
      }
      options->eepromSize = size;
    } else if (name == "--dram-size") {
      unsigned megabytes = 0;
      if (!ParseUnsigned(*value, &megabytes) || (megabytes != 32 && megabytes != 64)) {
        *error = "--dram-size: '" + *value + "' is not a DRAM part size in MB (use 32 or 64)";
        return false;
      }
      options->dramMegabytes = megabytes;
    } else if (IsBoardOption(name)) {
      if (!ParseBoardOption(name, *value, options, error)) return false;
    } else {
      if (value->empty()) {
        *error = "--trace: the file name is empty";
        return false;
      }
      options->traceFile = *value;
    }
  }
  options->command.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  if (options->command.empty()) {
    *error = "no command given (usage: zev-sim [options] -- COMMAND [ARGS...])";
    return false;
  }
  return true;
}

}  // namespace zev::sim::host
