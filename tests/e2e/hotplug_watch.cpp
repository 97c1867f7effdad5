#include "tests/e2e/hotplug_watch.h"

#include <libusb.h>

#include <cstdio>

#include "tests/e2e/script_steps.h"

namespace zev::e2e {

struct HotplugCallback {
  static int Call(libusb_context*, libusb_device* device, libusb_hotplug_event event, void* self) {
    libusb_device_descriptor desc{};
    libusb_get_device_descriptor(device, &desc);
    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    char text[96];
    std::snprintf(text, sizeof text, "%s %04x:%04x at %u-%d",
                  event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED ? "arrived" : "left", desc.idVendor, desc.idProduct,
                  libusb_get_bus_number(device), depth > 0 ? ports[depth - 1] : 0);
    static_cast<HotplugWatch*>(self)->Record(text);
    return 0;  // stay registered
  }
};

HotplugWatch::~HotplugWatch() {
  if (context_ == nullptr) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  libusb_hotplug_deregister_callback(context_, handle_);  // also wakes the event thread
  if (thread_.joinable()) thread_.join();
  libusb_exit(context_);
}

bool HotplugWatch::Start(std::string* error) {
  if (libusb_init(&context_) != 0) {
    context_ = nullptr;
    *error = "libusb_init failed";
    return false;
  }
  if (!libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)) {
    *error = "libusb has no hotplug support here";
    return false;
  }
  const int result = libusb_hotplug_register_callback(
      context_, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT, LIBUSB_HOTPLUG_NO_FLAGS,
      LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, &HotplugCallback::Call, this,
      &handle_);
  if (result != 0) {
    *error = std::string("libusb_hotplug_register_callback: ") + libusb_error_name(result);
    return false;
  }
  thread_ = std::thread([this] {
    while (true) {
      {
        std::lock_guard lock(mutex_);
        if (stop_) return;
      }
      timeval tick{0, 100000};
      libusb_handle_events_timeout_completed(context_, &tick, nullptr);
    }
  });
  return true;
}

void HotplugWatch::Record(std::string event) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(event));
  changed_.notify_all();
}

bool HotplugWatch::Matches(const std::vector<std::string>& kinds) const {
  size_t next = 0;
  for (const std::string& event : events_) {
    if (next < kinds.size() && event.starts_with(kinds[next] + " ")) ++next;
  }
  return next == kinds.size();
}

bool HotplugWatch::WaitFor(const std::vector<std::string>& kinds, std::chrono::milliseconds timeout,
                           std::vector<std::string>* seen) {
  std::unique_lock lock(mutex_);
  const bool ok = changed_.wait_for(lock, timeout, [&] { return Matches(kinds); });
  *seen = events_;
  return ok;
}

bool HotplugSteps::Run(const std::vector<std::string>& w) {
  // libusb learns of arrivals and removals from events; give them time to come in.
  constexpr std::chrono::seconds kEventTimeout{10};
  if (w.size() == 1 && w[0] == "hotplug-watch" && !watch_) {
    watch_ = std::make_unique<HotplugWatch>();
    std::string error;
    PrintLine(watch_->Start(&error) ? "hotplug-watch: ok" : "hotplug-watch: " + error);
    return true;
  }
  if (w.size() > 1 && w[0] == "hotplug-wait" && watch_) {
    std::vector<std::string> seen;
    const bool ok = watch_->WaitFor({w.begin() + 1, w.end()}, kEventTimeout, &seen);
    std::string line = ok ? "hotplug:" : "hotplug (timed out):";
    for (size_t i = 0; i < seen.size(); ++i) line += (i == 0 ? " " : ", ") + seen[i];
    PrintLine(line);
    return true;
  }
  return false;
}

}  // namespace zev::e2e
