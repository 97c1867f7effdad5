// `dram [N] KIND ...`: faults between the chip and the DRAM cells of the adapters
// (address lines stuck or shorted, data bits stuck, bad cells).
#include <bit>
#include <cinttypes>
#include <cstdio>

#include "sim/host/adapter_actions.h"
#include "sim/host/control_commands.h"
#include "sim/units/dram_faults.h"
#include "sim/units/dram_unit.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim::host {
namespace {

DramUnit& DramOf(SimAdapter& adapter) { return *adapter.chip().Find<DramUnit>(); }
FaultyDram& Faults(SimAdapter& adapter) { return DramFaultsOf(DramOf(adapter)); }

std::string PartName(uint32_t bytes) { return std::to_string(bytes >> 20) + " MB part"; }

std::string HexAddress(uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%" PRIX32, address);
  return text;
}

// An address line the adapter's part has: 3 (the lowest that selects a word) up to its
// highest address bit.
bool ParseAddressLine(SimAdapter& adapter, const std::string& text, unsigned* line, CommandReply* error) {
  const uint32_t bytes = DramOf(adapter).array().SizeBytes();
  const unsigned highest = static_cast<unsigned>(std::bit_width(bytes)) - 2;
  uint64_t value = 0;
  if (!ParseNumber(text, UINT32_MAX, &value) || value < FaultyDram::kLowestAddressLine || value > highest) {
    *error = CommandReply::Error("no address line '" + text + "' (the " + PartName(bytes) + " has lines " +
                                 std::to_string(FaultyDram::kLowestAddressLine) + " to " + std::to_string(highest) +
                                 ")");
    return false;
  }
  *line = static_cast<unsigned>(value);
  return true;
}

bool ParseLevel(const std::string& text, bool* level, CommandReply* error) {
  if (text != "0" && text != "1") {
    *error = CommandReply::Error("bad level '" + text + "' (use 0 or 1)");
    return false;
  }
  *level = text == "1";
  return true;
}

CommandReply StuckAddress(SimAdapter& adapter, Words args) {
  unsigned line = 0;
  bool level = false;
  CommandReply error;
  if (!ParseAddressLine(adapter, args[0], &line, &error) || !ParseLevel(args[1], &level, &error)) return error;
  Faults(adapter).StickAddressLine(line, level);
  return CommandReply::Ok("address line " + std::to_string(line) + " stuck at " + args[1]);
}

CommandReply Short(SimAdapter& adapter, Words args) {
  unsigned a = 0;
  unsigned b = 0;
  CommandReply error;
  if (!ParseAddressLine(adapter, args[0], &a, &error) || !ParseAddressLine(adapter, args[1], &b, &error)) return error;
  if (a == b) return CommandReply::Error("a line cannot be shorted to itself");
  const std::string kind = args.size() > 2 ? args[2] : "and";
  if (kind != "and" && kind != "or") return CommandReply::Error("short how: '" + kind + "' (use and or or)");
  Faults(adapter).ShortAddressLines(a, b, kind == "and" ? FaultyDram::Short::WiredAnd : FaultyDram::Short::WiredOr);
  return CommandReply::Ok("address lines " + std::to_string(a) + " and " + std::to_string(b) + " shorted (" +
                          (kind == "and" ? "low" : "high") + " wins)");
}

CommandReply StuckData(SimAdapter& adapter, Words args) {
  uint64_t bit = 0;
  bool level = false;
  if (!ParseNumber(args[0], 63, &bit)) return CommandReply::Error("no data bit '" + args[0] + "' (bits 0 to 63)");
  CommandReply error;
  if (!ParseLevel(args[1], &level, &error)) return error;
  Faults(adapter).StickDataBit(static_cast<unsigned>(bit), level);
  return CommandReply::Ok("data bit " + std::to_string(bit) + " stuck at " + args[1]);
}

CommandReply BadCell(SimAdapter& adapter, Words args) {
  const uint32_t bytes = DramOf(adapter).array().SizeBytes();
  uint64_t address = 0;
  if (!ParseNumber(args[0], bytes - 1, &address)) {
    return CommandReply::Error("bad DRAM address '" + args[0] + "' (the " + PartName(bytes) + " ends at " +
                               HexAddress(bytes - 1) + ")");
  }
  uint64_t ones = 0;
  uint64_t zeros = UINT64_MAX;  // a dead word reads 0
  if (args.size() == 3) {
    if (!ParseNumber(args[1], UINT64_MAX, &ones)) return CommandReply::Error("bad bit mask '" + args[1] + "'");
    if (!ParseNumber(args[2], UINT64_MAX, &zeros)) return CommandReply::Error("bad bit mask '" + args[2] + "'");
    if ((ones & zeros) != 0) return CommandReply::Error("a bit cannot read both 1 and 0");
  } else if (args.size() != 1) {
    return CommandReply::Error("bad-cell takes both masks or none");
  }
  const uint32_t word = static_cast<uint32_t>(address) & ~uint32_t{7};
  Faults(adapter).AddBadCell(word, ones, zeros);
  const std::string reads = args.size() == 1 ? "reads 0" : "reads bits " + args[1] + " as 1 and " + args[2] + " as 0";
  return CommandReply::Ok("the word at " + HexAddress(word) + " " + reads);
}

CommandReply Clear(SimAdapter& adapter, Words) {
  Faults(adapter).Clear();
  return CommandReply::Ok("DRAM faults cleared");
}

const AdapterAction kDramFaults[] = {
    {"stuck-address", "LINE 0|1", "address line LINE (3 and up) is stuck low or high", &StuckAddress},
    {"short", "LINE LINE [and|or]", "two address lines are shorted; the low (and) or high (or) level wins", &Short},
    {"stuck-data", "BIT 0|1", "data bit BIT (0 to 63) reads as 0 or 1", &StuckData},
    {"bad-cell", "ADDR [ONES ZEROS]", "the word holding ADDR reads 0, or with bits ONES set and ZEROS clear",
     &BadCell},
    {"clear", "", "a healthy DRAM again (the content stays)", &Clear},
};

CommandReply Dram(ControlContext& context, Words args) {
  return RunAdapterAction(context, args, "dram", "DRAM fault", kDramFaults);
}

}  // namespace

std::vector<ControlCommand> DramCommands() { return {{"dram", AdapterActionForms(kDramFaults), &Dram}}; }

}  // namespace zev::sim::host
