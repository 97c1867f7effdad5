// Control commands about the adapters' boards: the monitor and the audio sources.
#include <exception>
#include <vector>

#include "sim/devices/board.h"
#include "sim/devices/monitor.h"
#include "sim/host/adapter_actions.h"
#include "sim/host/board_words.h"
#include "sim/host/control_commands.h"
#include "sim/host/virtual_bus.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim::host {
namespace {

// "adapter 1: ..." or "adapters 1 2: ...".
std::string Done(const std::vector<unsigned>& adapters, const std::string& what) {
  return (adapters.size() == 1 ? "adapter " : "adapters ") + JoinNumbers(adapters) + ": " + what;
}

std::string Describe(Board& board) {
  Monitor* monitor = board.monitor();
  if (monitor == nullptr) return "no monitor";
  return "monitor on " + MonitorPortName(board.monitorBus()) + ", " + std::to_string(monitor->Edid().size()) +
         "-byte EDID, " + std::to_string(monitor->bytesRead()) + " bytes read";
}

CommandReply ShowMonitors(ControlContext& context, const std::vector<unsigned>& adapters) {
  std::string text;
  std::lock_guard lock(context.bus.lock());
  for (unsigned n : adapters) {
    if (!text.empty()) text += " | ";
    text += std::to_string(n) + ": " + Describe(context.bus.Adapter(n).board());
  }
  return CommandReply::Ok(text);
}

CommandReply StopAfter(ControlContext& context, const std::vector<unsigned>& adapters, Words args) {
  if (args.size() != 1) return CommandReply::Error("usage: monitor [N] stop-after COUNT|never");
  uint64_t count = 0;
  const bool never = args[0] == "never";
  if (!never && !ParseNumber(args[0], INT32_MAX, &count)) {
    return CommandReply::Error("bad byte count '" + args[0] + "' (a number or never)");
  }
  std::lock_guard lock(context.bus.lock());
  for (unsigned n : adapters) {
    if (context.bus.Adapter(n).board().monitor() == nullptr) {
      return CommandReply::Error("adapter " + std::to_string(n) + " has no monitor");
    }
  }
  for (unsigned n : adapters) {
    context.bus.Adapter(n).board().monitor()->StopAnsweringAfter(never ? -1 : static_cast<int>(count));
  }
  return CommandReply::Ok(Done(adapters, never ? "the monitor answers again"
                                               : "the monitor stops answering after " + args[0] + " more bytes"));
}

// `monitor [N] [FILE|default|none [1|2]]`, `monitor [N] stop-after COUNT|never`.
CommandReply MonitorCommand(ControlContext& context, Words args) {
  std::vector<unsigned> adapters;
  CommandReply reply;
  if (!TakeAdapters(context, &args, &adapters, &reply)) return reply;
  if (args.empty()) return ShowMonitors(context, adapters);
  if (args[0] == "stop-after") return StopAfter(context, adapters, args.subspan(1));
  if (args.size() > 2) return CommandReply::Error("unexpected argument '" + args[2] + "'");

  MonitorBus bus = MonitorBus::Port2;
  if (args[0] == "none") {
    if (args.size() > 1) return CommandReply::Error("unexpected argument '" + args[1] + "'");
    bus = MonitorBus::None;
  } else if (args.size() > 1) {
    const std::optional<MonitorBus> port = ParseMonitorPort(args[1]);
    if (!port || *port == MonitorBus::None) {
      return CommandReply::Error("bad monitor port '" + args[1] + "' (use 1 or 2)");
    }
    bus = *port;
  }
  std::vector<uint8_t> edid;
  if (bus != MonitorBus::None && args[0] != "default") {
    try {
      edid = ReadEdidFile(args[0]);
    } catch (const std::exception& e) {
      return CommandReply::Error(e.what());
    }
  }
  {
    std::lock_guard lock(context.bus.lock());
    for (unsigned n : adapters) {
      const std::span<const uint8_t> bytes = edid.empty() ? DefaultMonitorEdid() : std::span<const uint8_t>(edid);
      context.bus.Adapter(n).board().ConnectMonitor(bus, bytes);
    }
  }
  const std::string what = bus == MonitorBus::None ? "no monitor" : "monitor on " + MonitorPortName(bus);
  return CommandReply::Ok(Done(adapters, what));
}

// `audio [N] i2s0|i2s1|spdif RATE`.
CommandReply SetRate(SimAdapter& adapter, AudioSource source, const std::string& text) {
  const std::optional<uint32_t> rate = ParseAudioRate(text);
  if (!rate) {
    return CommandReply::Error("bad sampling rate '" + text + "' (Hz, 0 to " + std::to_string(kMaxAudioRateHz) + ")");
  }
  adapter.board().SetAudioRate(source, *rate);
  return CommandReply::Ok(AudioSourceName(source) + (*rate == 0 ? " is silent" : " plays " + text + " Hz"));
}

CommandReply I2s0(SimAdapter& adapter, Words args) { return SetRate(adapter, AudioSource::I2s0, args[0]); }
CommandReply I2s1(SimAdapter& adapter, Words args) { return SetRate(adapter, AudioSource::I2s1, args[0]); }
CommandReply Spdif(SimAdapter& adapter, Words args) { return SetRate(adapter, AudioSource::Spdif, args[0]); }

const AdapterAction kAudioSources[] = {
    {"i2s0", "RATE", "sampling rate of I2S input 0 in Hz (0 to 192000; 0: silent)", &I2s0},
    {"i2s1", "RATE", "sampling rate of I2S input 1 in Hz (0 to 192000; 0: silent)", &I2s1},
    {"spdif", "RATE", "sampling rate of the S/PDIF input in Hz (0 to 192000; 0: silent)", &Spdif},
};

CommandReply AudioCommand(ControlContext& context, Words args) {
  return RunAdapterAction(context, args, "audio", "audio source", kAudioSources);
}

}  // namespace

std::vector<ControlCommand> BoardCommands() {
  return {
      {"monitor",
       {{"[N]", "where the monitor is, its EDID's size and the bytes read from it"},
        {"[N] FILE|default [1|2]",
         "a monitor with the EDID in FILE (or the built-in 1920 x 1080 one) on I2C port 2 (default) or 1, "
         "also on the DisplayPort transmitter's DDC lines"},
        {"[N] none", "no monitor"},
        {"[N] stop-after COUNT|never", "the monitor stops answering after COUNT more bytes (never: it answers)"}},
       &MonitorCommand},
      {"audio", AdapterActionForms(kAudioSources), &AudioCommand},
  };
}

}  // namespace zev::sim::host
