#pragma once

#include <umockdev.h>

#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sim/host/gobject_ref.h"
#include "sim/host/readiness_fifo.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim::host {

// The usbfs device node (/dev/bus/usb/BBB/DDD) of one adapter for one stay on the bus.
// umockdev hands it the clients' ioctls on its worker thread; transfers go to the
// SimAdapter under the bus lock. Once the adapter has left the bus, or rejoined as a
// later generation, the node answers ENODEV as the kernel does for a disconnected
// device, but still hands out URBs that completed before.
class UsbfsNode {
 public:
  struct Setup {
    SimAdapter* adapter = nullptr;
    std::mutex* busLock = nullptr;  // serialises every access to the adapters
    uint64_t generation = 0;        // the adapter's generation this node serves
    std::string devnode;            // "/dev/bus/usb/001/002"
    unsigned devnum = 0;
    BusSpeed speed = BusSpeed::High;
    // Device descriptor followed by the configuration, as a read() of the node gives.
    std::vector<uint8_t> descriptors;
  };

  explicit UsbfsNode(Setup setup);
  ~UsbfsNode();
  UsbfsNode(const UsbfsNode&) = delete;
  UsbfsNode& operator=(const UsbfsNode&) = delete;

  UMockdevIoctlBase* handler() const { return handler_.get(); }
  const std::string& devnode() const { return setup_.devnode; }
  unsigned devnum() const { return setup_.devnum; }

  // Backs the node with a FIFO at `path` (the node's place in the testbed).
  bool CreateFifo(const std::string& path, std::string* error);
  void UnlinkFifo();
  // After the adapter left the bus: URBs still waiting for data fail with ENODEV.
  void Disconnect();

 private:
  // A URB as the client submitted it. The resolved client memory is kept until the
  // URB is reaped: changes to it are written back to the client at that point.
  struct Urb {
    GRef<UMockdevIoctlData> urb;
    GRef<UMockdevIoctlData> buffer;  // the transfer buffer (empty for length 0)
  };
  struct Client {
    std::deque<Urb> completed;  // in completion order
    std::list<Urb> pending;     // IN URBs waiting for data from the device
    std::set<unsigned> claimed;
    size_t readOffset = 0;
  };

  static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static void OnClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static void OnClientFinalized(gpointer self, GObject* client);

  // The ioctls (usbfs_ioctls.cpp). Each returns the ioctl's result and sets `err`
  // when it fails. Called with the bus lock held.
  long HandleIoctl(Client& client, unsigned long request, UMockdevIoctlData* arg, int& err);
  long SubmitUrb(Client& client, UMockdevIoctlData* arg, int& err);
  long ReapUrb(Client& client, UMockdevIoctlData* arg, int& err);
  long DiscardUrb(Client& client, UMockdevIoctlData* arg, int& err);
  // A transfer submitted through the node after the adapter went away: the adapter
  // records it as it records one through any stale handle.
  void RecordVanishedTransfer(UMockdevIoctlData* arg);
  long ClaimInterface(Client& client, unsigned long request, UMockdevIoctlData* arg, int& err);
  void Complete(Client& client, Urb urb, int status, uint32_t actualLength);

  // The client's state; the first sight of a client registers it (bus lock held).
  Client& ClientFor(UMockdevIoctlClient* client);
  // The adapter is no longer the device this node was created for.
  bool Gone() const;
  unsigned InterfaceCount() const;
  int ConfigurationValue() const;
  void UpdateReadiness();

  Setup setup_;
  GRef<UMockdevIoctlBase> handler_;
  ReadinessFifo fifo_;
  bool disconnected_ = false;
  std::map<UMockdevIoctlClient*, Client> clients_;  // guarded by the bus lock
};

}  // namespace zev::sim::host
