#include "sim/host/testbed.h"

namespace zev::sim::host {
namespace {

bool Check(gboolean ok, GError* error, const std::string& what, std::string* message) {
  if (ok) return true;
  *message = what + ": " + (error != nullptr ? error->message : "unknown error");
  if (error != nullptr) g_error_free(error);
  return false;
}

}  // namespace

Testbed::Testbed() : testbed_(umockdev_testbed_new()) {
  gchar* root = umockdev_testbed_get_root_dir(testbed_.get());
  rootDir_ = root;
  g_free(root);
}

bool Testbed::AttachIoctl(const std::string& devnode, UMockdevIoctlBase* handler, std::string* error) {
  GError* gerror = nullptr;
  const gboolean ok = umockdev_testbed_attach_ioctl(testbed_.get(), devnode.c_str(), handler, &gerror);
  return Check(ok, gerror, "cannot serve " + devnode, error);
}

void Testbed::DetachIoctl(const std::string& devnode) {
  umockdev_testbed_detach_ioctl(testbed_.get(), devnode.c_str(), nullptr);
}

bool Testbed::Add(const std::string& description, std::string* error) {
  GError* gerror = nullptr;
  const gboolean ok = umockdev_testbed_add_from_string(testbed_.get(), description.c_str(), &gerror);
  return Check(ok, gerror, "cannot add a device to the testbed", error);
}

void Testbed::Remove(const std::string& sysPath) {
  // libusb takes the bus address from the event's DEVNAME, so the event goes first.
  umockdev_testbed_uevent(testbed_.get(), sysPath.c_str(), "remove");
  umockdev_testbed_remove_device(testbed_.get(), sysPath.c_str());
}

}  // namespace zev::sim::host
