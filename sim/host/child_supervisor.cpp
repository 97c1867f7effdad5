#include "sim/host/child_supervisor.h"

#include <glib-unix.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

namespace zev::sim::host {

ChildSupervisor::ChildSupervisor() : signals_{{SIGINT, 0, this}, {SIGTERM, 0, this}, {SIGHUP, 0, this}} {
  for (SignalSource& source : signals_) source.source = g_unix_signal_add(source.signal, &ChildSupervisor::OnSignal, &source);
  loop_ = g_main_loop_new(nullptr, FALSE);
}

ChildSupervisor::~ChildSupervisor() {
  for (SignalSource& source : signals_) g_source_remove(source.source);
  g_main_loop_unref(loop_);
}

gboolean ChildSupervisor::OnSignal(gpointer data) {
  auto* source = static_cast<SignalSource*>(data);
  source->owner->Forward(source->signal);
  return G_SOURCE_CONTINUE;
}

void ChildSupervisor::Forward(int signal) {
  if (child_ < 0) {
    if (earlySignal_ == 0) earlySignal_ = signal;
    return;
  }
  kill(child_, ++forwarded_ == 1 ? signal : SIGKILL);
}

int ChildSupervisor::TakeEarlySignal() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  return earlySignal_;
}

bool ChildSupervisor::Start(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                            std::string* error) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int result = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data());
  if (result != 0) {
    *error = "cannot run '" + command[0] + "': " + std::strerror(result);
    return false;
  }
  child_ = pid;
  g_child_watch_add(pid, &ChildSupervisor::OnChildExit, this);
  return true;
}

void ChildSupervisor::OnChildExit(GPid, gint status, gpointer self) {
  auto* supervisor = static_cast<ChildSupervisor*>(self);
  supervisor->exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  supervisor->child_ = -1;
  g_main_loop_quit(supervisor->loop_);
}

int ChildSupervisor::Wait() {
  if (exitStatus_ < 0) g_main_loop_run(loop_);
  return exitStatus_;
}

}  // namespace zev::sim::host
