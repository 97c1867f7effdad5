// `fault [N] KIND ...`: link faults and stuck register bits of the adapters.
#include <algorithm>

#include "sim/host/control_commands.h"
#include "sim/host/virtual_bus.h"

namespace zev::sim::host {
namespace {

// One kind of fault. `apply` checks its arguments and then changes the adapter; it
// is called for each selected adapter with the bus lock held.
struct FaultKind {
  const char* name;
  const char* arguments;
  const char* help;
  CommandReply (*apply)(SimAdapter& adapter, Words args);
};

bool WantArgs(Words args, size_t count, const char* usage, CommandReply* error) {
  if (args.size() == count) return true;
  *error = CommandReply::Error(std::string("usage: fault [N] ") + usage);
  return false;
}

CommandReply FailNext(SimAdapter& adapter, Words args) {
  CommandReply error;
  if (!WantArgs(args, 1, "fail-next COUNT", &error)) return error;
  uint64_t count = 0;
  if (!ParseNumber(args[0], UINT32_MAX, &count)) return CommandReply::Error("bad transfer count '" + args[0] + "'");
  adapter.faults().failNext = static_cast<uint32_t>(count);
  return CommandReply::Ok("the next " + args[0] + " transfers fail");
}

CommandReply FailAddress(SimAdapter& adapter, Words args) {
  CommandReply error;
  if (!WantArgs(args, 1, "fail-address ADDR", &error)) return error;
  uint64_t address = 0;
  if (!ParseNumber(args[0], 0xFFFF, &address)) return CommandReply::Error("bad register address '" + args[0] + "'");
  adapter.faults().failAddresses.insert(static_cast<uint16_t>(address));
  return CommandReply::Ok("transfers to register " + args[0] + " fail");
}

CommandReply FailRead(SimAdapter& adapter, Words args) {
  CommandReply error;
  if (!WantArgs(args, 1, "fail-read ADDR", &error)) return error;
  uint64_t address = 0;
  if (!ParseNumber(args[0], 0xFFFF, &address)) return CommandReply::Error("bad register address '" + args[0] + "'");
  adapter.faults().failReadAddresses.insert(static_cast<uint16_t>(address));
  return CommandReply::Ok("reads of register " + args[0] + " fail");
}

CommandReply Stall(SimAdapter& adapter, Words args) {
  CommandReply error;
  if (!WantArgs(args, 1, "stall control|bulk", &error)) return error;
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
  CommandReply error;
  if (!WantArgs(args, 3, "stuck ADDR HIGHMASK LOWMASK", &error)) return error;
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

CommandReply Clear(SimAdapter& adapter, Words args) {
  CommandReply error;
  if (!WantArgs(args, 0, "clear", &error)) return error;
  adapter.faults() = LinkFaults{};
  adapter.chip().ClearStuckBits();
  return CommandReply::Ok("faults cleared");
}

const FaultKind kFaultKinds[] = {
    {"fail-next", "COUNT", "the next COUNT transfers fail", &FailNext},
    {"fail-address", "ADDR", "every transfer to register ADDR fails", &FailAddress},
    {"fail-read", "ADDR", "reads of register ADDR fail; writes go through", &FailRead},
    {"stall", "control|bulk", "vendor requests or bulk OUT packets stall", &Stall},
    {"stuck", "ADDR HIGHMASK LOWMASK", "bits of register ADDR read as 1 (HIGHMASK) or 0 (LOWMASK)", &Stuck},
    {"clear", "", "no link faults, no stuck bits", &Clear},
};

CommandReply Fault(ControlContext& context, Words args) {
  std::vector<unsigned> adapters;
  CommandReply reply;
  if (!TakeAdapters(context, &args, &adapters, &reply)) return reply;
  if (args.empty()) return CommandReply::Error("fault needs a kind (try zev-sim ctl --help)");
  const auto* kind = std::find_if(std::begin(kFaultKinds), std::end(kFaultKinds),
                                  [&](const FaultKind& k) { return args[0] == k.name; });
  if (kind == std::end(kFaultKinds)) return CommandReply::Error("unknown fault '" + args[0] + "'");
  std::lock_guard lock(context.bus.lock());
  for (unsigned n : adapters) {
    reply = kind->apply(context.bus.Adapter(n), args.subspan(1));
    if (!reply.ok) return reply;  // arguments are checked before anything changes
  }
  return CommandReply::Ok((adapters.size() == 1 ? "adapter " : "adapters ") + JoinNumbers(adapters) + ": " + reply.text);
}

}  // namespace

std::vector<CommandSpec> FaultCommands() {
  CommandSpec fault{"fault", {}, &Fault};
  for (const FaultKind& kind : kFaultKinds) {
    fault.forms.push_back({std::string("[N] ") + kind.name + (*kind.arguments != 0 ? " " : "") + kind.arguments,
                           kind.help});
  }
  return {fault};
}

}  // namespace zev::sim::host
