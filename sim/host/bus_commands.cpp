// Control commands about the adapters on the bus: status, plug, unplug, add.
#include <cinttypes>
#include <cstdio>

#include "sim/host/adapter_factory.h"
#include "sim/host/control_commands.h"
#include "sim/host/virtual_bus.h"

namespace zev::sim::host {
namespace {

std::string AdapterStatus(ControlContext& context, unsigned number) {
  VirtualBus& bus = context.bus;
  const std::string node = bus.DevNode(number);
  std::lock_guard lock(bus.lock());
  SimAdapter& adapter = bus.Adapter(number);
  const TraceCounters& counters = adapter.trace().Counters();
  char text[512];
  std::snprintf(text, sizeof text,
                "%u %s id=%04x:%04x chip=%s path=%s node=%s generation=%" PRIu64 " reads=%" PRIu64
                " writes=%" PRIu64 " bulk=%" PRIu64 " bulk-bytes=%" PRIu64 " control=%" PRIu64 " failed=%" PRIu64
                " undecoded=%" PRIu64,
                number, adapter.plugged() ? "plugged" : "unplugged", adapter.descriptors().VendorId(),
                adapter.descriptors().ProductId(), adapter.chip().Variant().Name().c_str(),
                VirtualBus::UsbPath(number).c_str(), node.empty() ? "-" : node.c_str(), adapter.generation(),
                counters.regReads, counters.regWrites, counters.bulkTransfers, counters.bulkBytes,
                counters.controlRequests, counters.failedTransfers, counters.undecodedAccesses);
  return text;
}

CommandReply Status(ControlContext& context, Words args) {
  if (!args.empty()) return CommandReply::Error("status takes no arguments");
  const unsigned count = context.bus.AdapterCount();
  std::string text = std::to_string(count) + (count == 1 ? " adapter" : " adapters");
  for (unsigned n = 1; n <= count; ++n) text += " | " + AdapterStatus(context, n);
  return CommandReply::Ok(text);
}

// Plugs (or unplugs) the selected adapters; the testbed shows the change before the
// reply goes out.
CommandReply SetPlugged(ControlContext& context, Words args, bool plugged) {
  std::vector<unsigned> adapters;
  CommandReply error;
  if (!TakeAdapters(context, &args, &adapters, &error)) return error;
  if (!args.empty()) return CommandReply::Error("unexpected argument '" + args.front() + "'");
  {
    std::lock_guard lock(context.bus.lock());
    for (unsigned n : adapters) {
      SimAdapter& adapter = context.bus.Adapter(n);
      plugged ? adapter.Plug() : adapter.Unplug();
    }
  }
  context.bus.SyncDevices();
  return CommandReply::Ok((plugged ? "plugged " : "unplugged ") + JoinNumbers(adapters));
}

CommandReply Plug(ControlContext& context, Words args) { return SetPlugged(context, args, true); }
CommandReply Unplug(ControlContext& context, Words args) { return SetPlugged(context, args, false); }

CommandReply Add(ControlContext& context, Words args) {
  if (args.size() > 1) return CommandReply::Error("unexpected argument '" + args[1] + "'");
  const unsigned next = context.bus.AdapterCount() + 1;
  SimAdapter::Options options = context.factory.For(next);
  if (!args.empty()) {
    const std::optional<ChipVariant> variant = ChipVariant::Parse(args[0]);
    if (!variant) return CommandReply::Error("unknown chip variant '" + args[0] + "' (use a0, rev1 or fpgaNNN)");
    options = context.factory.With(*variant);
  }
  std::string why;
  const unsigned number = context.bus.AddAdapter(std::move(options), &why);
  if (number == 0) return CommandReply::Error(why);
  return CommandReply::Ok("added " + std::to_string(number) + " at " + VirtualBus::UsbPath(number));
}

}  // namespace

std::vector<ControlCommand> BusCommands() {
  return {
      {"status", {{"", "every adapter: plugged, VID:PID, chip, path, generation, transfer counters"}}, &Status},
      {"plug", {{"[N]", "plug adapter N (all when omitted) back in; it powers up afresh"}}, &Plug},
      {"unplug", {{"[N]", "unplug adapter N (all when omitted)"}}, &Unplug},
      {"add", {{"[VARIANT]", "plug in a further adapter (chip a0, rev1 or fpgaNNN)"}}, &Add},
  };
}

}  // namespace zev::sim::host
