#include "sim/host/adapter_actions.h"

#include <algorithm>
#include <sstream>

#include "sim/host/virtual_bus.h"

namespace zev::sim::host {
namespace {

struct ArgumentCount {
  size_t least = 0;
  size_t most = 0;
};

ArgumentCount CountOf(const char* arguments) {
  ArgumentCount count;
  std::istringstream words(arguments);
  bool optional = false;
  for (std::string word; words >> word;) {
    optional = optional || word.front() == '[';
    ++count.most;
    if (!optional) ++count.least;
    if (word.back() == ']') optional = false;
  }
  return count;
}

std::string Usage(const char* command, const AdapterAction& action) {
  return std::string("usage: ") + command + " [N] " + action.name + (*action.arguments != 0 ? " " : "") +
         action.arguments;
}

}  // namespace

CommandReply RunAdapterAction(ControlContext& context, Words args, const char* command, const char* what,
                              std::span<const AdapterAction> actions) {
  std::vector<unsigned> adapters;
  CommandReply reply;
  if (!TakeAdapters(context, &args, &adapters, &reply)) return reply;
  if (args.empty()) {
    std::string names;
    for (const AdapterAction& a : actions) names += (names.empty() ? "" : "|") + std::string(a.name);
    return CommandReply::Error(std::string("usage: ") + command + " [N] " + names + " ...");
  }
  const auto action =
      std::find_if(actions.begin(), actions.end(), [&](const AdapterAction& a) { return args[0] == a.name; });
  if (action == actions.end()) return CommandReply::Error("unknown " + std::string(what) + " '" + args[0] + "'");
  const Words actionArgs = args.subspan(1);
  const ArgumentCount count = CountOf(action->arguments);
  if (actionArgs.size() < count.least || actionArgs.size() > count.most) {
    return CommandReply::Error(Usage(command, *action));
  }
  std::lock_guard lock(context.bus.lock());
  for (unsigned n : adapters) {
    reply = action->apply(context.bus.Adapter(n), actionArgs);
    if (!reply.ok) return reply;
  }
  const std::string selected = (adapters.size() == 1 ? "adapter " : "adapters ") + JoinNumbers(adapters);
  return CommandReply::Ok(selected + ": " + reply.text);
}

std::vector<CommandForm> AdapterActionForms(std::span<const AdapterAction> actions) {
  std::vector<CommandForm> forms;
  for (const AdapterAction& action : actions) {
    forms.push_back({std::string("[N] ") + action.name + (*action.arguments != 0 ? " " : "") + action.arguments,
                     action.help});
  }
  return forms;
}

}  // namespace zev::sim::host
