#pragma once

#include <umockdev.h>

#include <string>

#include "sim/host/gobject_ref.h"

namespace zev::sim::host {

// The umockdev testbed: a private sysfs and /dev tree that the umockdev preload
// library shows to the child process. Creating it sets UMOCKDEV_DIR in this
// process's environment (the child inherits it); destroying it removes the tree.
// Used from the main thread only.
class Testbed {
 public:
  Testbed();
  ~Testbed() = default;
  Testbed(const Testbed&) = delete;
  Testbed& operator=(const Testbed&) = delete;

  const std::string& RootDir() const { return rootDir_; }

  // Routes the ioctls and reads of `devnode` to `handler`.
  bool AttachIoctl(const std::string& devnode, UMockdevIoctlBase* handler, std::string* error);
  void DetachIoctl(const std::string& devnode);
  // Adds a device (see DescribeForTestbed) and announces it with an "add" uevent.
  bool Add(const std::string& description, std::string* error);
  // Announces the removal (while the device's properties still exist), then removes it.
  void Remove(const std::string& sysPath);

 private:
  GRef<UMockdevTestbed> testbed_;
  std::string rootDir_;
};

}  // namespace zev::sim::host
