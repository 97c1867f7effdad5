#pragma once

#include <chrono>
#include <condition_variable>
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

}  // namespace zev::e2e
