#pragma once

#include <glib.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sim/host/testbed.h"
#include "sim/host/trace_file.h"
#include "sim/host/usb_sysfs.h"
#include "sim/host/usbfs_node.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim::host {

// The virtual adapters zev-sim hosts, each on its own port of one virtual bus, and
// their presence in the testbed. An adapter's USB device is at "usb:1-N" (N its
// number, which is also its port), so its path stays the same across unplug, plug and
// device reset while its bus address changes as on a real bus.
//
// Threads: umockdev's worker serves the device nodes; the main thread runs control
// commands and changes the testbed. Every access to an adapter holds lock().
class VirtualBus {
 public:
  static constexpr unsigned kBusNumber = 1;
  static constexpr unsigned kMaxAdapters = 16;

  VirtualBus(BusSpeed speed, TraceFile* trace);
  ~VirtualBus();
  VirtualBus(const VirtualBus&) = delete;
  VirtualBus& operator=(const VirtualBus&) = delete;

  // Adds the root hub and starts mirroring bus events on the main loop.
  bool Start(std::string* error);
  const std::string& RootDir() const { return testbed_->RootDir(); }
  BusSpeed speed() const { return speed_; }

  // Hosts a further adapter on the next port; it joins the bus at once. Returns its
  // number (from 1), or 0 with a message.
  unsigned AddAdapter(SimAdapter::Options options, std::string* error);
  unsigned AdapterCount() const { return static_cast<unsigned>(adapters_.size()); }

  std::mutex& lock() { return lock_; }
  // Adapter `number` (1..AdapterCount()); hold lock() while using it.
  SimAdapter& Adapter(unsigned number) { return *adapters_.at(number - 1)->adapter; }
  // The path the device library gives the adapter ("usb:1-2").
  static std::string UsbPath(unsigned number);
  // The adapter's device node, empty while it is off the bus (main thread).
  std::string DevNode(unsigned number) const;

  // Mirrors the adapters' leaving and joining the bus in the testbed. Runs on the
  // main loop by itself; control commands call it so their reply follows the change.
  void SyncDevices();

 private:
  struct Hosted {
    unsigned number = 0;
    std::unique_ptr<SimAdapter> adapter;
    std::unique_ptr<UsbfsNode> node;  // while on the bus
    SysfsUsbDevice sysfs;             // as last added to the testbed
  };
  struct PendingEvent {
    unsigned number;
    BusEvent event;
    uint64_t generation;
  };

  void OnBusEvent(unsigned number, SimAdapter* adapter, BusEvent event);
  static gboolean OnWake(gint fd, GIOCondition condition, gpointer self);
  bool Join(Hosted& hosted, uint64_t generation, std::string* error);
  void Leave(Hosted& hosted);
  unsigned NextDevnum();

  const BusSpeed speed_;
  TraceFile* trace_;
  std::mutex lock_;
  std::unique_ptr<Testbed> testbed_;
  std::vector<std::unique_ptr<Hosted>> adapters_;
  // Nodes of earlier stays on the bus: clients may still hold them open.
  std::vector<std::unique_ptr<UsbfsNode>> retired_;
  std::set<std::string> attached_;  // device nodes with a handler attached
  unsigned lastDevnum_ = 1;  // the root hub has address 1
  std::vector<PendingEvent> pending_;  // guarded by lock_
  int wakeFd_ = -1;
  guint wakeSource_ = 0;
};

}  // namespace zev::sim::host
