#pragma once

#include "device/core/lib_context.h"

namespace zev {

class UsbBackend;

// The state of one loaded library: a library context on `backend` with every setting
// at its value at load and no connection. Going away (the library being unloaded)
// closes a connection that is still open.
class LibraryInstance {
 public:
  explicit LibraryInstance(UsbBackend& backend) : ctx_(Variant::Library, &backend) {}
  ~LibraryInstance();
  LibraryInstance(const LibraryInstance&) = delete;
  LibraryInstance& operator=(const LibraryInstance&) = delete;

  LibContext& ctx() { return ctx_; }

 private:
  LibContext ctx_;
};

}  // namespace zev
