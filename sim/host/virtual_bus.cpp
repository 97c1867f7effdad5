#include "sim/host/virtual_bus.h"

#include <glib-unix.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zev::sim::host {
namespace {

constexpr unsigned kHighestDevnum = 127;

}  // namespace

VirtualBus::VirtualBus(BusSpeed speed, TraceFile* trace)
    : speed_(speed), trace_(trace), testbed_(std::make_unique<Testbed>()) {}

VirtualBus::~VirtualBus() {
  if (wakeSource_ != 0) g_source_remove(wakeSource_);
  if (wakeFd_ >= 0) close(wakeFd_);
  for (const std::string& devnode : attached_) testbed_->DetachIoctl(devnode);
  // The testbed goes first: its worker thread is what calls into the nodes.
  testbed_.reset();
  retired_.clear();
  for (auto& hosted : adapters_) hosted->node.reset();
}

bool VirtualBus::Start(std::string* error) {
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    *error = std::string("eventfd: ") + std::strerror(errno);
    return false;
  }
  wakeSource_ = g_unix_fd_add(wakeFd_, G_IO_IN, &VirtualBus::OnWake, this);
  return testbed_->Add(DescribeForTestbed(RootHub(kBusNumber, kMaxAdapters, speed_)), error);
}

std::string VirtualBus::UsbPath(unsigned number) {
  return "usb:" + std::to_string(kBusNumber) + "-" + std::to_string(number);
}

std::string VirtualBus::DevNode(unsigned number) const {
  const Hosted& hosted = *adapters_.at(number - 1);
  return hosted.node ? hosted.node->devnode() : std::string();
}

unsigned VirtualBus::AddAdapter(SimAdapter::Options options, std::string* error) {
  if (adapters_.size() >= kMaxAdapters) {
    *error = "the bus has no free port (at most " + std::to_string(kMaxAdapters) + " adapters)";
    return 0;
  }
  auto hosted = std::make_unique<Hosted>();
  hosted->number = static_cast<unsigned>(adapters_.size()) + 1;
  hosted->adapter = std::make_unique<SimAdapter>(std::move(options));
  SimAdapter* adapter = hosted->adapter.get();
  // zev-sim runs for long: keep the counters, stream events to the file instead of
  // collecting them.
  adapter->trace().SetRecording(false);
  if (trace_ != nullptr) adapter->trace().SetFile(trace_->StreamFor(hosted->number));
  const unsigned number = hosted->number;
  adapter->SetBusListener([this, number, adapter](BusEvent event) { OnBusEvent(number, adapter, event); });
  Hosted& added = *hosted;
  {
    std::lock_guard lock(lock_);
    adapters_.push_back(std::move(hosted));
  }
  if (!Join(added, adapter->generation(), error)) return 0;
  return number;
}

void VirtualBus::OnBusEvent(unsigned number, SimAdapter* adapter, BusEvent event) {
  // Runs where the adapter changed (with lock_ held): on umockdev's worker when the
  // chip resets itself, on the main thread for control commands.
  pending_.push_back({number, event, adapter->generation()});
  if (trace_ != nullptr) {
    trace_->Note(number, event == BusEvent::Left
                             ? "left the bus"
                             : "joined the bus (generation " + std::to_string(adapter->generation()) + ")");
  }
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

gboolean VirtualBus::OnWake(gint fd, GIOCondition, gpointer self) {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
  static_cast<VirtualBus*>(self)->SyncDevices();
  return G_SOURCE_CONTINUE;
}

void VirtualBus::SyncDevices() {
  std::vector<PendingEvent> events;
  {
    std::lock_guard lock(lock_);
    events.swap(pending_);
  }
  for (const PendingEvent& event : events) {
    Hosted& hosted = *adapters_.at(event.number - 1);
    Leave(hosted);
    if (event.event == BusEvent::Joined) {
      std::string error;
      if (!Join(hosted, event.generation, &error)) {
        std::fprintf(stderr, "zev-sim: adapter %u cannot rejoin the bus: %s\n", hosted.number, error.c_str());
      }
    }
  }
}

unsigned VirtualBus::NextDevnum() {
  // Addresses count up as the bus assigns them and wrap, skipping those in use.
  for (unsigned tries = 0; tries < kHighestDevnum; ++tries) {
    lastDevnum_ = lastDevnum_ >= kHighestDevnum ? 2 : lastDevnum_ + 1;
    bool used = false;
    for (const auto& hosted : adapters_) used = used || (hosted->node && hosted->node->devnum() == lastDevnum_);
    if (!used) return lastDevnum_;
  }
  return 0;
}

bool VirtualBus::Join(Hosted& hosted, uint64_t generation, std::string* error) {
  SysfsUsbDevice device;
  device.bus = kBusNumber;
  device.port = hosted.number;
  device.speed = speed_;
  device.devnum = NextDevnum();
  if (device.devnum == 0) {
    *error = "no free bus address";
    return false;
  }
  {
    // What the chip presents now (a device reset may have changed its identity).
    std::lock_guard lock(lock_);
    const UsbDescriptors& descriptors = hosted.adapter->descriptors();
    device.device = descriptors.Device(speed_);
    device.configuration = descriptors.Configuration(speed_);
    auto text = [&descriptors](uint8_t index) {
      const auto descriptor = index != 0 ? descriptors.String(index) : std::nullopt;
      return descriptor ? StringDescriptorText(*descriptor) : std::string();
    };
    device.manufacturer = text(device.device.at(14));
    device.product = text(device.device.at(15));
    device.serial = text(device.device.at(16));
  }
  UsbfsNode::Setup setup;
  setup.adapter = hosted.adapter.get();
  setup.busLock = &lock_;
  setup.generation = generation;
  setup.devnode = device.DevNode();
  setup.devnum = device.devnum;
  setup.speed = speed_;
  setup.descriptors = device.device;
  setup.descriptors.insert(setup.descriptors.end(), device.configuration.begin(), device.configuration.end());
  auto node = std::make_unique<UsbfsNode>(std::move(setup));

  // The node's FIFO and handler exist before the device is announced, so no client
  // ever finds the node unserved. (No thread knows the node before that.)
  auto fail = [&] {
    node->UnlinkFifo();
    retired_.push_back(std::move(node));
    return false;
  };
  if (!node->CreateFifo(RootDir() + node->devnode(), error)) return fail();
  // A wrapped-around address may still be held by the node of an earlier stay.
  if (attached_.erase(node->devnode()) != 0) testbed_->DetachIoctl(node->devnode());
  if (!testbed_->AttachIoctl(node->devnode(), node->handler(), error)) return fail();
  attached_.insert(node->devnode());
  if (!testbed_->Add(DescribeForTestbed(device), error)) return fail();
  hosted.node = std::move(node);
  hosted.sysfs = std::move(device);
  return true;
}

void VirtualBus::Leave(Hosted& hosted) {
  if (!hosted.node) return;
  hosted.node->Disconnect();
  testbed_->Remove(hosted.sysfs.SysPath());
  hosted.node->UnlinkFifo();
  retired_.push_back(std::move(hosted.node));
}

}  // namespace zev::sim::host
