#pragma once

#include <glib.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace zev::sim::host {

// Runs the command zev-sim hosts the adapters for, and the main loop while it runs.
// SIGINT, SIGTERM and SIGHUP sent to zev-sim are passed on to the command (a second
// one kills it), so zev-sim always outlives it and can clean up.
class ChildSupervisor {
 public:
  // Catches the signals from now on.
  ChildSupervisor();
  ~ChildSupervisor();
  ChildSupervisor(const ChildSupervisor&) = delete;
  ChildSupervisor& operator=(const ChildSupervisor&) = delete;

  // A signal that arrived before the command started, else 0.
  int TakeEarlySignal();
  // False with a message when the command cannot be run.
  bool Start(const std::vector<std::string>& command, const std::vector<std::string>& environment,
             std::string* error);
  // Serves the main loop until the command ends. Its exit status, or 128 + the signal
  // that ended it.
  int Wait();

 private:
  static gboolean OnSignal(gpointer self);
  static void OnChildExit(GPid pid, gint status, gpointer self);
  void Forward(int signal);

  struct SignalSource {
    int signal;
    guint source;
    ChildSupervisor* owner;
  };
  SignalSource signals_[3];
  pid_t child_ = -1;
  int forwarded_ = 0;
  int earlySignal_ = 0;
  int exitStatus_ = -1;
  GMainLoop* loop_ = nullptr;
};

}  // namespace zev::sim::host
