#pragma once

#include <span>
#include <string>
#include <vector>

#include "sim/host/control_commands.h"

namespace zev::sim {
class SimAdapter;
}

namespace zev::sim::host {

// One action of a command of the form `COMMAND [N] ACTION ARGS...` (`fault`, `dram`).
// `arguments` is also the rule for how many words the action takes: words in brackets
// ("[ONES ZEROS]") are optional.
struct AdapterAction {
  const char* name;
  const char* arguments;
  const char* help;
  // Checks its arguments, then changes the adapter; called for each selected adapter
  // with the bus lock held. The reply text follows "adapter N: ".
  CommandReply (*apply)(SimAdapter& adapter, Words args);
};

// Runs `COMMAND [N] ACTION ARGS...` (`args` starts after COMMAND) on the selected
// adapters. `what` names an unknown action in its error ("fault", "DRAM fault"). The selected
// adapters are alike, so an action that refuses its arguments does so on the first one,
// before anything changed.
CommandReply RunAdapterAction(ControlContext& context, Words args, const char* command, const char* what,
                              std::span<const AdapterAction> actions);

// The help forms of the actions: "[N] NAME ARGUMENTS".
std::vector<CommandForm> AdapterActionForms(std::span<const AdapterAction> actions);

}  // namespace zev::sim::host
