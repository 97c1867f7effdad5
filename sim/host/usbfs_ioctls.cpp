// The usbfs ioctls libusb issues, answered from the virtual adapter.
#include <linux/usb/ch9.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "sim/host/usbfs_node.h"

namespace zev::sim::host {
namespace {

constexpr uint32_t kCapabilities = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                                   USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT |
                                   // libusb sends a large bulk buffer as one URB only with this
                                   USBDEVFS_CAP_BULK_SCATTER_GATHER;

constexpr size_t kSetupBytes = 8;

// Fetches `length` bytes of client memory that the pointer at `offset` in `parent`
// points to (one round trip to the client).
GRef<UMockdevIoctlData> Resolve(UMockdevIoctlData* parent, size_t offset, size_t length) {
  GError* error = nullptr;
  GRef<UMockdevIoctlData> data(umockdev_ioctl_data_resolve(parent, offset, length, &error));
  if (!data) {
    std::fprintf(stderr, "zev-sim: cannot read client memory (%zu bytes): %s\n", length,
                 error != nullptr ? error->message : "unknown error");
    g_clear_error(&error);
  }
  return data;
}

template <class T>
T* As(const GRef<UMockdevIoctlData>& data) {
  return reinterpret_cast<T*>(data->data);
}

// URB status of a finished transfer, as the kernel reports it.
int UrbStatus(TransferStatus status) {
  switch (status) {
    case TransferStatus::Ok:
      return 0;
    case TransferStatus::Stall:
      return -EPIPE;
    case TransferStatus::NoDevice:
      return -ENODEV;
    case TransferStatus::Failed:
      break;
  }
  return -EPROTO;  // what a bus error looks like
}

int UsbSpeedCode(BusSpeed speed) {
  switch (speed) {
    case BusSpeed::Full:
      return USB_SPEED_FULL;
    case BusSpeed::High:
      return USB_SPEED_HIGH;
    case BusSpeed::Super:
      break;
  }
  return USB_SPEED_SUPER;
}

}  // namespace

void UsbfsNode::Complete(Client& client, Urb urb, int status, uint32_t actualLength) {
  auto* raw = As<usbdevfs_urb>(urb.urb);
  raw->status = status;
  raw->actual_length = static_cast<int>(actualLength);
  client.completed.push_back(std::move(urb));
}

long UsbfsNode::HandleIoctl(Client& client, unsigned long request, UMockdevIoctlData* arg, int& err) {
  // A vanished device still hands out URBs that completed before; all else fails.
  if (Gone() && !(request == USBDEVFS_REAPURBNDELAY && !client.completed.empty())) {
    if (request == USBDEVFS_SUBMITURB) RecordVanishedTransfer(arg);
    err = ENODEV;
    return -1;
  }
  switch (request) {
    case USBDEVFS_SUBMITURB:
      return SubmitUrb(client, arg, err);
    case USBDEVFS_REAPURBNDELAY:
      return ReapUrb(client, arg, err);
    case USBDEVFS_DISCARDURB:
      return DiscardUrb(client, arg, err);
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM:
      return ClaimInterface(client, request, arg, err);
    case USBDEVFS_GET_CAPABILITIES: {
      auto caps = Resolve(arg, 0, sizeof(__u32));
      if (!caps) break;
      *As<__u32>(caps) = kCapabilities;
      return 0;
    }
    case USBDEVFS_GET_SPEED:
      return UsbSpeedCode(setup_.speed);
    case USBDEVFS_CONNECTINFO: {
      auto info = Resolve(arg, 0, sizeof(usbdevfs_connectinfo));
      if (!info) break;
      As<usbdevfs_connectinfo>(info)->devnum = setup_.devnum;
      As<usbdevfs_connectinfo>(info)->slow = 0;
      return 0;
    }
    case USBDEVFS_GETDRIVER:
      err = ENODATA;  // no kernel driver is bound to the interface
      return -1;
    case USBDEVFS_IOCTL: {
      auto command = Resolve(arg, 0, sizeof(usbdevfs_ioctl));
      if (!command) break;
      const auto code = static_cast<unsigned long>(As<usbdevfs_ioctl>(command)->ioctl_code);
      if (code == USBDEVFS_DISCONNECT) {
        err = ENODATA;  // no driver to detach
        return -1;
      }
      if (code == USBDEVFS_CONNECT) return 0;  // no driver to re-attach
      err = ENOTTY;
      return -1;
    }
    case USBDEVFS_SETINTERFACE: {
      auto setting = Resolve(arg, 0, sizeof(usbdevfs_setinterface));
      if (!setting) break;
      if (As<usbdevfs_setinterface>(setting)->interface >= InterfaceCount() ||
          As<usbdevfs_setinterface>(setting)->altsetting != 0) {
        err = EINVAL;
        return -1;
      }
      return 0;
    }
    case USBDEVFS_SETCONFIGURATION: {
      auto value = Resolve(arg, 0, sizeof(int));
      if (!value) break;
      const int wanted = *As<int>(value);
      if (wanted != ConfigurationValue() && wanted != -1 && wanted != 0) {
        err = EINVAL;
        return -1;
      }
      return 0;
    }
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP: {
      auto endpoint = Resolve(arg, 0, sizeof(unsigned));
      if (!endpoint) break;
      const TransferResult result = setup_.adapter->ClearHalt(static_cast<uint8_t>(*As<unsigned>(endpoint)));
      if (result.status == TransferStatus::Ok) return 0;
      err = result.status == TransferStatus::NoDevice ? ENODEV : ENOENT;
      return -1;
    }
    case USBDEVFS_RESET:
      // A port reset: the device comes back at the same address with the same state.
      return 0;
    default:
      std::fprintf(stderr, "zev-sim: %s: unsupported ioctl 0x%lx\n", setup_.devnode.c_str(), request);
      err = ENOTTY;
      return -1;
  }
  err = EFAULT;  // client memory could not be read
  return -1;
}

void UsbfsNode::RecordVanishedTransfer(UMockdevIoctlData* arg) {
  auto urb = Resolve(arg, 0, sizeof(usbdevfs_urb));
  if (!urb) return;
  const auto* raw = As<usbdevfs_urb>(urb);
  uint16_t address = raw->endpoint;  // bulk: the endpoint; control: the register address
  if (raw->type == USBDEVFS_URB_TYPE_CONTROL && raw->buffer_length >= static_cast<int>(kSetupBytes)) {
    if (auto setup = Resolve(urb.get(), offsetof(usbdevfs_urb, buffer), kSetupBytes)) {
      address = static_cast<uint16_t>(setup->data[4] | setup->data[5] << 8);
    }
  }
  setup_.adapter->RecordVanishedTransfer(address);
}

long UsbfsNode::ClaimInterface(Client& client, unsigned long request, UMockdevIoctlData* arg, int& err) {
  unsigned number = 0;
  if (request == USBDEVFS_DISCONNECT_CLAIM) {
    auto claim = Resolve(arg, 0, sizeof(usbdevfs_disconnect_claim));
    if (!claim) {
      err = EFAULT;
      return -1;
    }
    number = As<usbdevfs_disconnect_claim>(claim)->interface;
  } else {
    auto value = Resolve(arg, 0, sizeof(unsigned));
    if (!value) {
      err = EFAULT;
      return -1;
    }
    number = *As<unsigned>(value);
  }
  if (number >= InterfaceCount()) {
    err = ENOENT;
    return -1;
  }
  if (request == USBDEVFS_RELEASEINTERFACE) {
    if (client.claimed.erase(number) == 0) {
      err = EINVAL;
      return -1;
    }
    return 0;
  }
  client.claimed.insert(number);
  return 0;
}

long UsbfsNode::SubmitUrb(Client& client, UMockdevIoctlData* arg, int& err) {
  Urb urb{Resolve(arg, 0, sizeof(usbdevfs_urb)), {}};
  if (!urb.urb) {
    err = EFAULT;
    return -1;
  }
  const auto* raw = As<usbdevfs_urb>(urb.urb);
  if (raw->buffer_length < 0) {
    err = EINVAL;
    return -1;
  }
  const auto length = static_cast<size_t>(raw->buffer_length);
  if (length > 0) {
    urb.buffer = Resolve(urb.urb.get(), offsetof(usbdevfs_urb, buffer), length);
    if (!urb.buffer) {
      err = EFAULT;
      return -1;
    }
  }
  uint8_t* data = urb.buffer ? urb.buffer->data : nullptr;
  TransferResult result;
  switch (raw->type) {
    case USBDEVFS_URB_TYPE_CONTROL: {
      if (length < kSetupBytes) {
        err = EINVAL;
        return -1;
      }
      SetupPacket setup;
      setup.bmRequestType = data[0];
      setup.bRequest = data[1];
      setup.wValue = static_cast<uint16_t>(data[2] | data[3] << 8);
      setup.wIndex = static_cast<uint16_t>(data[4] | data[5] << 8);
      setup.wLength = static_cast<uint16_t>(data[6] | data[7] << 8);
      if (setup.wLength > length - kSetupBytes) {  // the data stage would not fit the buffer
        err = EINVAL;
        return -1;
      }
      result = setup_.adapter->Control(setup, data + kSetupBytes);
      break;
    }
    case USBDEVFS_URB_TYPE_BULK:
    case USBDEVFS_URB_TYPE_INTERRUPT:
      if ((raw->endpoint & USB_DIR_IN) != 0) {
        // The adapter sends nothing on its IN endpoint: the URB waits until it is
        // discarded or the device goes away.
        client.pending.push_back(std::move(urb));
        return 0;
      }
      result = setup_.adapter->BulkOut(raw->endpoint, std::span<const uint8_t>(data, length));
      break;
    default:  // the adapter has no isochronous endpoints
      err = EINVAL;
      return -1;
  }
  if (result.status == TransferStatus::NoDevice) {
    err = ENODEV;
    return -1;
  }
  Complete(client, std::move(urb), UrbStatus(result.status), result.length);
  return 0;
}

long UsbfsNode::ReapUrb(Client& client, UMockdevIoctlData* arg, int& err) {
  if (client.completed.empty()) {
    err = EAGAIN;
    return -1;
  }
  // The argument is the client's `void **`: it receives the client address of the URB.
  auto slot = Resolve(arg, 0, sizeof(void*));
  if (!slot) {
    err = EFAULT;
    return -1;
  }
  Urb urb = std::move(client.completed.front());
  client.completed.pop_front();
  umockdev_ioctl_data_set_ptr(slot.get(), 0, urb.urb.get());
  return 0;
}

long UsbfsNode::DiscardUrb(Client& client, UMockdevIoctlData* arg, int& err) {
  // The argument is the client's URB pointer itself.
  gulong target = 0;
  std::memcpy(&target, arg->data, std::min(sizeof target, static_cast<size_t>(std::max(arg->data_len, 0))));
  for (auto it = client.pending.begin(); it != client.pending.end(); ++it) {
    if (it->urb->client_addr == target) {
      Urb urb = std::move(*it);
      client.pending.erase(it);
      Complete(client, std::move(urb), -ENOENT, 0);
      return 0;
    }
  }
  err = EINVAL;  // already completed or unknown, as the kernel reports it
  return -1;
}

}  // namespace zev::sim::host
