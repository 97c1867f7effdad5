#include "sim/host/usbfs_node.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zev::sim::host {

UsbfsNode::UsbfsNode(Setup setup) : setup_(std::move(setup)), handler_(umockdev_ioctl_base_new()) {
  g_signal_connect(handler_.get(), "handle-ioctl", G_CALLBACK(&UsbfsNode::OnIoctl), this);
  g_signal_connect(handler_.get(), "handle-read", G_CALLBACK(&UsbfsNode::OnRead), this);
  g_signal_connect(handler_.get(), "client-connected", G_CALLBACK(&UsbfsNode::OnClientConnected), this);
}

UsbfsNode::~UsbfsNode() {
  g_signal_handlers_disconnect_by_data(handler_.get(), this);
  std::map<UMockdevIoctlClient*, Client> clients;
  {
    std::lock_guard lock(*setup_.busLock);
    clients.swap(clients_);
  }
  // Outside the lock: dropping the last URB references may finalize a client.
  for (auto& entry : clients) g_object_weak_unref(G_OBJECT(entry.first), &UsbfsNode::OnClientFinalized, this);
}

bool UsbfsNode::CreateFifo(const std::string& path, std::string* error) { return fifo_.Create(path, error); }

void UsbfsNode::UnlinkFifo() { fifo_.Unlink(); }

bool UsbfsNode::Gone() const {
  return disconnected_ || !setup_.adapter->plugged() || setup_.adapter->generation() != setup_.generation;
}

// Descriptor fields the interface and configuration requests are checked against.
unsigned UsbfsNode::InterfaceCount() const {
  constexpr size_t kNumInterfaces = 18 + 4;  // in the configuration after the device descriptor
  return setup_.descriptors.size() > kNumInterfaces ? setup_.descriptors[kNumInterfaces] : 0;
}

int UsbfsNode::ConfigurationValue() const {
  constexpr size_t kConfigurationValue = 18 + 5;
  return setup_.descriptors.size() > kConfigurationValue ? setup_.descriptors[kConfigurationValue] : 1;
}

void UsbfsNode::Disconnect() {
  std::lock_guard lock(*setup_.busLock);
  disconnected_ = true;
  for (auto& entry : clients_) {
    Client& client = entry.second;
    while (!client.pending.empty()) {
      Urb urb = std::move(client.pending.front());
      client.pending.pop_front();
      Complete(client, std::move(urb), -ENODEV, 0);
    }
  }
  UpdateReadiness();
}

void UsbfsNode::UpdateReadiness() {
  fifo_.SetReady(std::any_of(clients_.begin(), clients_.end(),
                             [](const auto& entry) { return !entry.second.completed.empty(); }));
}

UsbfsNode::Client& UsbfsNode::ClientFor(UMockdevIoctlClient* client) {
  const auto [entry, added] = clients_.try_emplace(client);
  if (added) {
    // umockdev drops its client object when the client closes the node (it does not
    // emit "client-vanished"), so the object's end is what tells us.
    g_object_weak_ref(G_OBJECT(client), &UsbfsNode::OnClientFinalized, this);
  }
  return entry->second;
}

void UsbfsNode::OnClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
  auto* node = static_cast<UsbfsNode*>(self);
  std::lock_guard lock(*node->setup_.busLock);
  node->ClientFor(client);
}

void UsbfsNode::OnClientFinalized(gpointer self, GObject* client) {
  auto* node = static_cast<UsbfsNode*>(self);
  std::lock_guard lock(*node->setup_.busLock);
  node->clients_.erase(reinterpret_cast<UMockdevIoctlClient*>(client));
  node->UpdateReadiness();
}

gboolean UsbfsNode::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
  auto* node = static_cast<UsbfsNode*>(self);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  int err = 0;
  long result = 0;
  {
    std::lock_guard lock(*node->setup_.busLock);
    result = node->HandleIoctl(node->ClientFor(client), request, umockdev_ioctl_client_get_arg(client), err);
    // Before the client learns the result, so its next poll sees URBs it can reap.
    node->UpdateReadiness();
  }
  umockdev_ioctl_client_complete(client, result, err);
  return TRUE;
}

gboolean UsbfsNode::OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
  // A read of a usbfs node gives the device descriptor and the configuration.
  auto* node = static_cast<UsbfsNode*>(self);
  UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
  const std::vector<uint8_t>& bytes = node->setup_.descriptors;
  size_t count = 0;
  {
    std::lock_guard lock(*node->setup_.busLock);
    Client& state = node->ClientFor(client);
    const size_t offset = std::min(state.readOffset, bytes.size());
    count = std::min(static_cast<size_t>(std::max(buffer->data_len, 0)), bytes.size() - offset);
    if (count > 0) std::memcpy(buffer->data, bytes.data() + offset, count);
    state.readOffset = offset + count;
  }
  umockdev_ioctl_client_complete(client, static_cast<glong>(count), 0);
  return TRUE;
}

}  // namespace zev::sim::host
