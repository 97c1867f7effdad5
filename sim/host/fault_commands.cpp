// `fault [N] KIND ...`: link faults and stuck register bits of the adapters.
#include "sim/host/adapter_actions.h"
#include "sim/host/control_commands.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim::host {
namespace {

CommandReply FailNext(SimAdapter& adapter, Words args) {
  uint64_t count = 0;
  if (!ParseNumber(args[0], UINT32_MAX, &count)) return CommandReply::Error("bad transfer count '" + args[0] + "'");
  adapter.faults().failNext = static_cast<uint32_t>(count);
  return CommandReply::Ok("the next " + args[0] + " transfers fail");
}

CommandReply FailAddress(SimAdapter& adapter, Words args) {
  uint64_t address = 0;
  if (!ParseNumber(args[0], 0xFFFF, &address)) return CommandReply::Error("bad register address '" + args[0] + "'");
  adapter.faults().failAddresses.insert(static_cast<uint16_t>(address));
  return CommandReply::Ok("transfers to register " + args[0] + " fail");
}

CommandReply FailRead(SimAdapter& adapter, Words args) {
  uint64_t address = 0;
  if (!ParseNumber(args[0], 0xFFFF, &address)) return CommandReply::Error("bad register address '" + args[0] + "'");
  adapter.faults().failReadAddresses.insert(static_cast<uint16_t>(address));
  return CommandReply::Ok("reads of register " + args[0] + " fail");
}

CommandReply Stall(SimAdapter& adapter, Words args) {
  if (args[0] == "control") {
    adapter.faults().stallControl = true;
  } else if (args[0] == "bulk") {
    adapter.faults().stallBulk = true;
  } else {
    return CommandReply::Error("stall what: '" + args[0] + "' (use control or bulk)");
  }
  return CommandReply::Ok(args[0] + " transfers stall");
}

CommandReply Stuck(SimAdapter& adapter, Words args) {
  uint64_t address = 0;
  uint64_t high = 0;
  uint64_t low = 0;
  if (!ParseNumber(args[0], 0xFFFF, &address)) return CommandReply::Error("bad register address '" + args[0] + "'");
  if (!ParseNumber(args[1], UINT32_MAX, &high)) return CommandReply::Error("bad bit mask '" + args[1] + "'");
  if (!ParseNumber(args[2], UINT32_MAX, &low)) return CommandReply::Error("bad bit mask '" + args[2] + "'");
  if ((high & low) != 0) return CommandReply::Error("a bit cannot be stuck both high and low");
  adapter.chip().SetStuckBits(static_cast<uint16_t>(address), {static_cast<uint32_t>(high), static_cast<uint32_t>(low)});
  return CommandReply::Ok("register " + args[0] + " has stuck bits");
}

CommandReply Clear(SimAdapter& adapter, Words) {
  adapter.faults() = LinkFaults{};
  adapter.chip().ClearStuckBits();
  return CommandReply::Ok("faults cleared");
}

const AdapterAction kFaultKinds[] = {
    {"fail-next", "COUNT", "the next COUNT transfers fail", &FailNext},
    {"fail-address", "ADDR", "every transfer to register ADDR fails", &FailAddress},
    {"fail-read", "ADDR", "reads of register ADDR fail; writes go through", &FailRead},
    {"stall", "control|bulk", "vendor requests or bulk OUT packets stall", &Stall},
    {"stuck", "ADDR HIGHMASK LOWMASK", "bits of register ADDR read as 1 (HIGHMASK) or 0 (LOWMASK)", &Stuck},
    {"clear", "", "no link faults, no stuck bits", &Clear},
};

CommandReply Fault(ControlContext& context, Words args) {
  return RunAdapterAction(context, args, "fault", "fault", kFaultKinds);
}

}  // namespace

std::vector<ControlCommand> FaultCommands() {
  return {{"fault", AdapterActionForms(kFaultKinds), &Fault}};
}

}  // namespace zev::sim::host
