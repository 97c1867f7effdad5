// The one list of `zev-sim ctl` commands, and running a command line against it.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "sim/host/control_commands.h"
#include "sim/host/virtual_bus.h"

namespace zev::sim::host {

const std::vector<ControlCommand>& ControlCommands() {
  static const std::vector<ControlCommand> commands = [] {
    std::vector<ControlCommand> all;
    const auto groups = {BusCommands(), FaultCommands(), DramCommands(), BoardCommands(), DisplayCommands()};
    for (const auto& group : groups) {
      all.insert(all.end(), group.begin(), group.end());
    }
    return all;
  }();
  return commands;
}

CommandReply RunControlCommand(ControlContext& context, const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  if (words.empty()) return CommandReply::Error("empty command (try help)");
  const auto& commands = ControlCommands();
  if (words[0] == "help") {
    std::string names;
    for (const ControlCommand& entry : commands) names += " " + entry.name;
    return CommandReply::Ok("commands:" + names + " (zev-sim ctl --help describes them)");
  }
  const auto found =
      std::find_if(commands.begin(), commands.end(), [&](const ControlCommand& entry) { return entry.name == words[0]; });
  if (found == commands.end()) return CommandReply::Error("unknown command '" + words[0] + "' (try zev-sim ctl --help)");
  return found->run(context, Words(words).subspan(1));
}

std::string ControlHelp() {
  std::string text;
  for (const ControlCommand& entry : ControlCommands()) {
    for (const CommandForm& form : entry.forms) {
      std::string usage = entry.name + (form.arguments.empty() ? "" : " " + form.arguments);
      usage.resize(std::max<size_t>(usage.size() + 2, 34), ' ');
      text += "  " + usage + form.help + "\n";
    }
  }
  return text;
}

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* begin = text.data() + (hex ? 2 : 0);
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(begin, end, *value, hex ? 16 : 10);
  return ec == std::errc() && stop == end && begin != end && *value <= max;
}

bool TakeAdapters(ControlContext& context, Words* args, std::vector<unsigned>* adapters, CommandReply* error) {
  adapters->clear();
  const unsigned count = context.bus.AdapterCount();
  if (!args->empty() && !args->front().empty() && std::isdigit(static_cast<unsigned char>(args->front()[0]))) {
    uint64_t number = 0;
    if (!ParseNumber(args->front(), count, &number) || number == 0) {
      *error = CommandReply::Error("no adapter '" + args->front() + "' (adapters are numbered 1 to " +
                                   std::to_string(count) + ")");
      return false;
    }
    adapters->push_back(static_cast<unsigned>(number));
    *args = args->subspan(1);
    return true;
  }
  if (count == 0) {
    *error = CommandReply::Error("no adapters (add one with: add)");
    return false;
  }
  for (unsigned n = 1; n <= count; ++n) adapters->push_back(n);
  return true;
}

std::string JoinNumbers(const std::vector<unsigned>& numbers) {
  std::string text;
  for (unsigned n : numbers) {
    if (!text.empty()) text += ' ';
    text += std::to_string(n);
  }
  return text;
}

}  // namespace zev::sim::host
