#include "zevutil/exports/process_library.h"

#include "device/usb/libusb_backend.h"
#include "zevutil/core/library_instance.h"

namespace zev {
namespace {

// Constructed when the library is loaded and destroyed when it is unloaded (or the
// process ends); the instance goes first, closing its connection while libusb is
// still there.
struct ProcessLibrary {
  LibusbBackend backend;
  LibraryInstance instance{backend};
};

ProcessLibrary gProcessLibrary;

}  // namespace

LibContext& ProcessContext() { return gProcessLibrary.instance.ctx(); }

}  // namespace zev
