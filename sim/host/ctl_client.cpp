#include "sim/host/ctl_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/host/control_commands.h"
#include "sim/host/control_socket_io.h"

namespace zev::sim::host {
namespace {

void PrintUsage() {
  std::printf("usage: zev-sim ctl [--socket PATH] SUBCOMMAND [ARGS...]\n"
              "Sends SUBCOMMAND to the running zev-sim whose control socket is PATH\n"
              "(default: $%s, set for the command zev-sim runs).\n"
              "N is an adapter number (from 1); numbers may be decimal or 0x-hexadecimal.\n\n"
              "subcommands:\n%s",
              kControlSocketVariable, ControlHelp().c_str());
}

// False with a message when zev-sim cannot be reached.
bool Exchange(const std::string& socketPath, const std::string& line, std::string* reply, std::string* error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof address.sun_path) {
    *error = "control socket path too long: " + socketPath;
    return false;
  }
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (!ok) {
    *error = "cannot reach zev-sim at " + socketPath + ": " + std::strerror(errno);
  } else {
    SetSocketTimeouts(fd, kClientTimeoutMs);
    ok = SendLine(fd, line) && ReceiveLine(fd, reply);
    if (!ok) *error = "no reply from zev-sim at " + socketPath;
  }
  close(fd);
  return ok;
}

}  // namespace

int RunCtl(const std::vector<std::string>& args) {
  std::string socketPath;
  if (const char* fromEnvironment = std::getenv(kControlSocketVariable)) socketPath = fromEnvironment;
  size_t i = 0;
  for (; i < args.size() && args[i].starts_with("-"); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      PrintUsage();
      return 0;
    }
    if (args[i] == "--socket" && i + 1 < args.size()) {
      socketPath = args[++i];
    } else if (args[i].starts_with("--socket=")) {
      socketPath = args[i].substr(9);
    } else {
      std::fprintf(stderr, "zev-sim ctl: unknown option '%s' (try zev-sim ctl --help)\n", args[i].c_str());
      return 2;
    }
  }
  if (i == args.size()) {
    std::fprintf(stderr, "zev-sim ctl: no subcommand (try zev-sim ctl --help)\n");
    return 2;
  }
  if (socketPath.empty()) {
    std::fprintf(stderr, "zev-sim ctl: no control socket: run under zev-sim (it sets %s) or give --socket PATH\n",
                 kControlSocketVariable);
    return 2;
  }
  std::string line;
  for (; i < args.size(); ++i) {
    if (args[i].find('\n') != std::string::npos) {
      std::fprintf(stderr, "zev-sim ctl: arguments cannot contain line feeds\n");
      return 2;
    }
    line += (line.empty() ? "" : " ") + args[i];
  }
  std::string reply;
  std::string error;
  if (!Exchange(socketPath, line, &reply, &error)) {
    std::fprintf(stderr, "zev-sim ctl: %s\n", error.c_str());
    return 1;
  }
  if (reply == "ok" || reply.starts_with("ok ")) {
    std::printf("%s\n", reply.c_str());
    return 0;
  }
  std::fprintf(stderr, "%s\n", reply.starts_with("error: ") ? reply.c_str() : ("error: unexpected reply: " + reply).c_str());
  return 1;
}

}  // namespace zev::sim::host
