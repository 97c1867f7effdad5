// The lifecycle exports: open and bring up the adapter, close it.
#include "zevutil.h"
#include "zevutil/core/lib_frame.h"
#include "zevutil/exports/process_library.h"

ZEV_STATUS ZEVLibInit(void) { return zev::api::ZEVLibInit(zev::ProcessContext()); }

ZEV_STATUS ZEVLibDeInit(void) { return zev::api::ZEVLibDeInit(zev::ProcessContext()); }
