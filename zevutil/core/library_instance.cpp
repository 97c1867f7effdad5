#include "zevutil/core/library_instance.h"

#include "zevutil/core/lib_frame.h"

namespace zev {

LibraryInstance::~LibraryInstance() { api::ZEVLibDeInit(ctx_); }

}  // namespace zev
