#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct libusb_context;

namespace zev::e2e {

// What libusb reports about devices arriving and leaving (its own context and event
// thread, as an application watching for adapters would have). Events read
// "arrived 1209:0002 at 1-1" and "left 1209:0002 at 1-1".
class HotplugWatch {
 public:
  HotplugWatch() = default;
  ~HotplugWatch();

  bool Start(std::string* error);
  // Waits until events of the given kinds ("arrived", "left") have come in that order
  // (counted from the start); returns the events seen.
  bool WaitFor(const std::vector<std::string>& kinds, std::chrono::milliseconds timeout,
               std::vector<std::string>* seen);

 private:
  void Record(std::string event);
  bool Matches(const std::vector<std::string>& kinds) const;
  friend struct HotplugCallback;

  libusb_context* context_ = nullptr;
  int handle_ = 0;
  bool stop_ = false;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// The script steps `hotplug-watch` (start watching) and `hotplug-wait KIND...` (wait
// for events of these kinds, in order, and print them), for every script program.
class HotplugSteps {
 public:
  // True when `words` is one of these steps, its line printed; false for any other
  // step, or for one used out of turn (a second watch, a wait without one).
  bool Run(const std::vector<std::string>& words);

 private:
  std::unique_ptr<HotplugWatch> watch_;
};

}  // namespace zev::e2e
