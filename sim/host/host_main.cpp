#include "sim/host/host_main.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "sim/host/adapter_factory.h"
#include "sim/host/child_environment.h"
#include "sim/host/child_supervisor.h"
#include "sim/host/control_commands.h"
#include "sim/host/control_server.h"
#include "sim/host/host_options.h"
#include "sim/host/preload.h"
#include "sim/host/trace_file.h"
#include "sim/host/virtual_bus.h"

namespace zev::sim::host {
namespace {

constexpr int kBadUsage = 2;
constexpr int kHostFailed = 1;
constexpr int kCannotRun = 127;

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "zev-sim: %s\n", message.c_str());
  return status;
}

// Started without standard streams (e.g. stdin closed), our own files would take their
// numbers and the command would inherit nonsense there.
void KeepStandardStreamsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", O_RDWR);
  }
}

}  // namespace

int RunHost(char** argv) {
  KeepStandardStreamsOpen();
  std::vector<std::string> args;
  for (char** arg = argv + 1; *arg != nullptr; ++arg) args.emplace_back(*arg);
  HostOptions options;
  std::string error;
  if (!ParseHostOptions(args, &options, &error)) return Fail(kBadUsage, error);
  if (options.help) {
    std::fputs(kHostUsage, stdout);
    return 0;
  }
  // Before any file is read: a restart would find a pipe already drained.
  RunUnderUmockdevPreload(argv);
  // Files named on the command line are opened before the testbed exists: from then
  // on the preload shows the testbed in place of /dev and /sys.
  AdapterFactory factory;
  if (!factory.Init(options, &error)) return Fail(kBadUsage, error);
  TraceFile trace;
  if (options.traceFile && !trace.Open(*options.traceFile, &error)) return Fail(kBadUsage, error);

  signal(SIGPIPE, SIG_IGN);
  // Everything below is undone by destructors, whichever way this returns.
  ChildSupervisor supervisor;
  VirtualBus bus(options.speed, trace.IsOpen() ? &trace : nullptr);
  if (!bus.Start(&error)) return Fail(kHostFailed, error);
  for (unsigned n = 1; n <= options.adapters; ++n) {
    if (bus.AddAdapter(factory.For(n), &error) == 0) return Fail(kHostFailed, error);
  }
  ControlContext context{bus, factory};
  ControlServer server;
  if (!server.Start([&context](const std::string& line) { return RunControlCommand(context, line).Line(); }, &error)) {
    return Fail(kHostFailed, error);
  }
  if (const int signal = supervisor.TakeEarlySignal(); signal != 0) return 128 + signal;
  if (!supervisor.Start(options.command, ChildEnvironment(bus.RootDir(), server.SocketPath()), &error)) {
    return Fail(kCannotRun, error);
  }
  return supervisor.Wait();
}

}  // namespace zev::sim::host
