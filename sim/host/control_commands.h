#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zev::sim::host {

class VirtualBus;
class AdapterFactory;

// The reply of a control command: one line, "ok ..." or "error: ...".
struct CommandReply {
  bool ok = true;
  std::string text;

  static CommandReply Ok(std::string text) { return {true, std::move(text)}; }
  static CommandReply Error(std::string text) { return {false, std::move(text)}; }
  std::string Line() const { return ok ? (text.empty() ? "ok" : "ok " + text) : "error: " + text; }
};

// What commands work on. They run on the main thread.
struct ControlContext {
  VirtualBus& bus;
  const AdapterFactory& factory;
};

using Words = std::span<const std::string>;

// One way of calling a command, for the help text.
struct CommandForm {
  std::string arguments;
  std::string help;
};

// A command of `zev-sim ctl`: its name, how it is called, and what runs it (with the
// words after the name).
struct ControlCommand {
  std::string name;
  std::vector<CommandForm> forms;
  CommandReply (*run)(ControlContext& context, Words args);
};

// The command groups; ControlCommands() (command_registry.cpp) lists them all.
std::vector<ControlCommand> BusCommands();
std::vector<ControlCommand> FaultCommands();
std::vector<ControlCommand> DramCommands();
std::vector<ControlCommand> BoardCommands();
std::vector<ControlCommand> DisplayCommands();
const std::vector<ControlCommand>& ControlCommands();

// Runs one command line ("unplug 2").
CommandReply RunControlCommand(ControlContext& context, const std::string& line);
// Every command and its forms, one per line.
std::string ControlHelp();

// Helpers for commands.
// A number, decimal or 0x-prefixed hexadecimal, at most `max`.
bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value);
// Takes an optional adapter number from the front of `args`; without one every
// adapter is meant. False with the error reply when the number names no adapter.
bool TakeAdapters(ControlContext& context, Words* args, std::vector<unsigned>* adapters, CommandReply* error);
// "1 2 3"
std::string JoinNumbers(const std::vector<unsigned>& numbers);

}  // namespace zev::sim::host
