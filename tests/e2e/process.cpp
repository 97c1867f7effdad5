#include "tests/e2e/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace zev::e2e {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kKillGrace{5};

// A file holding `text`, read from its start; -1 on failure. A memory file rather than
// a pipe: the whole text is there at once, however much of it the program reads.
int InputFile(const std::string& text) {
  const int fd = memfd_create("process-input", MFD_CLOEXEC);
  if (fd < 0) return -1;
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t got = write(fd, text.data() + written, text.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      close(fd);
      return -1;
    }
    written += static_cast<size_t>(got);
  }
  if (lseek(fd, 0, SEEK_SET) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

Process::~Process() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  CloseOutputs();
}

void Process::CloseOutputs() {
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
  outFd_ = errFd_ = -1;
}

bool Process::Start(const std::vector<std::string>& argv, std::string* error, const std::string* input) {
  const int inputFd = input != nullptr ? InputFile(*input) : -1;
  if (input != nullptr && inputFd < 0) {
    *error = std::string("input file: ") + std::strerror(errno);
    return false;
  }
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    if (inputFd >= 0) close(inputFd);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (inputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, inputFd, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const int result = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (inputFd >= 0) close(inputFd);
  close(outPipe[1]);
  close(errPipe[1]);
  outFd_ = outPipe[0];
  errFd_ = errPipe[0];
  if (result != 0) {
    pid_ = -1;
    CloseOutputs();
    *error = "cannot run " + argv[0] + ": " + std::strerror(result);
    return false;
  }
  return true;
}

bool Process::Pump(std::chrono::milliseconds wait) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (outFd_ < 0 && errFd_ < 0) return false;
  if (poll(fds, 2, static_cast<int>(wait.count())) <= 0) return true;
  std::string* sinks[2] = {&out_, &err_};
  int* owners[2] = {&outFd_, &errFd_};
  for (int i = 0; i < 2; ++i) {
    if (fds[i].fd < 0 || fds[i].revents == 0) continue;
    char buffer[4096];
    const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
    if (got > 0) {
      sinks[i]->append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      close(*owners[i]);
      *owners[i] = -1;
    }
  }
  return outFd_ >= 0 || errFd_ >= 0;
}

bool Process::ReadLine(std::string* line, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (true) {
    const size_t end = out_.find('\n', outConsumed_);
    if (end != std::string::npos) {
      *line = out_.substr(outConsumed_, end - outConsumed_);
      outConsumed_ = end + 1;
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || !Pump(left)) return false;
  }
}

void Process::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

ProcessResult Process::Finish(std::chrono::milliseconds timeout) {
  ProcessResult result;
  const auto deadline = Clock::now() + timeout;
  bool terminated = false;
  int status = 0;
  while (pid_ > 0) {
    Pump(std::chrono::milliseconds(50));
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      break;
    }
    if (!terminated && Clock::now() > deadline) {
      result.timedOut = true;
      terminated = true;
      kill(pid_, SIGTERM);
    } else if (terminated && Clock::now() > deadline + kKillGrace) {
      kill(pid_, SIGKILL);
    }
  }
  // Whatever the program (or a child that inherited its output) still writes.
  const auto drainUntil = Clock::now() + kKillGrace;
  while (Pump(std::chrono::milliseconds(50)) && Clock::now() < drainUntil) {
  }
  CloseOutputs();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = out_.substr(outConsumed_);
  result.err = err_;
  return result;
}

namespace {

ProcessResult Run(const std::vector<std::string>& argv, const std::string* input, std::chrono::milliseconds timeout) {
  Process process;
  std::string error;
  if (!process.Start(argv, &error, input)) {
    ProcessResult result;
    result.exitCode = 127;
    result.err = error;
    return result;
  }
  return process.Finish(timeout);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
  return Run(argv, nullptr, timeout);
}

ProcessResult RunProcessWithInput(const std::vector<std::string>& argv, const std::string& input,
                                  std::chrono::milliseconds timeout) {
  return Run(argv, &input, timeout);
}

}  // namespace zev::e2e
