#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace zev::e2e {

struct ProcessResult {
  int exitCode = -1;  // the exit status, or 128 + the signal that ended the process
  bool timedOut = false;
  std::string out;
  std::string err;
};

// A program run with its output collected; standard input is /dev/null or a given
// text (followed by the end of input). A run
// that outlives its deadline gets SIGTERM (SIGKILL a few seconds later), so a hang
// fails a test instead of stalling it.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // False with a message in `error` when the program cannot be started. `input`, when
  // given, is what the program reads on standard input.
  bool Start(const std::vector<std::string>& argv, std::string* error, const std::string* input = nullptr);
  // Waits for the next line of standard output (without its line feed).
  bool ReadLine(std::string* line, std::chrono::milliseconds timeout);
  void Signal(int signal);
  ProcessResult Finish(std::chrono::milliseconds timeout);

 private:
  // Reads what is there; false when both pipes are at their end. Waits at most `wait`.
  bool Pump(std::chrono::milliseconds wait);
  void CloseOutputs();

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  size_t outConsumed_ = 0;  // bytes of out_ handed out by ReadLine
  std::string err_;
};

// Starts, waits and collects; a program that cannot be started gives exit code 127
// and the reason in `err`.
ProcessResult RunProcess(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);
// The same with `input` on standard input.
ProcessResult RunProcessWithInput(const std::vector<std::string>& argv, const std::string& input,
                                  std::chrono::milliseconds timeout);

}  // namespace zev::e2e
