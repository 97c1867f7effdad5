// Control commands about what the adapters' displays show: capture.
#include "sim/host/control_commands.h"
#include "sim/host/virtual_bus.h"
#include "sim/units/scan_out.h"

namespace zev::sim::host {
namespace {

// capture [N] FILE: the picture adapter N's display controller shows, as a 24-bit BMP.
// N may be left out when there is one adapter.
CommandReply Capture(ControlContext& context, Words args) {
  if (args.empty() || args.size() > 2) return CommandReply::Error("usage: capture [N] FILE");
  std::vector<unsigned> adapters;
  CommandReply error;
  if (args.size() == 2) {
    if (!TakeAdapters(context, &args, &adapters, &error)) return error;
    if (adapters.empty()) return CommandReply::Error("usage: capture [N] FILE");
  } else {
    Words none;
    if (!TakeAdapters(context, &none, &adapters, &error)) return error;
    if (adapters.size() != 1) return CommandReply::Error("several adapters: say which (capture N FILE)");
  }
  const unsigned number = adapters.front();
  const std::string who = "adapter " + std::to_string(number);
  const std::string& path = args.front();

  ScanOut frame;
  {
    std::lock_guard lock(context.bus.lock());
    SimAdapter& adapter = context.bus.Adapter(number);
    if (!adapter.plugged()) return CommandReply::Error(who + " is unplugged");
    frame = ScanOutFrame(adapter.chip());
  }
  if (frame.status != ScanOutStatus::Shown) return CommandReply::Error(who + ": " + frame.Describe());
  std::string why;
  if (!WriteBmp24File(frame.picture, path, &why)) return CommandReply::Error(why);
  return CommandReply::Ok(who + ": captured " + frame.Describe() + " to " + path);
}

}  // namespace

std::vector<ControlCommand> DisplayCommands() {
  return {
      {"capture",
       {{"[N] FILE", "what adapter N's monitor shows now, as a 24-bit BMP (N may be left out with one adapter)"}},
       &Capture},
  };
}

}  // namespace zev::sim::host
