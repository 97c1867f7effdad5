#pragma once

#include "zevutil.h"

namespace zev {
struct LibContext;
}

// The logic of the exports, on an explicit library context: the shared library calls
// these with its process-wide context, tests with contexts wired to virtual adapters.
namespace zev::api {

// Refuses a second adapter, opens the one present and brings the hardware up.
// ZEV_LIB_MORE_THAN_ONE_DEV (nothing opened), ZEV_FRM_WRK_INIT_FAIL (nothing open),
// ZEV_HDWRE_INIT_FAIL (the connection stays open) or ZEV_SUCCESS.
ZEV_STATUS ZEVLibInit(LibContext& ctx);
// Closes the connection if one is open; always 0. The settings keep their values.
ZEV_STATUS ZEVLibDeInit(LibContext& ctx);

// What every export that touches the device runs after its argument checks: probe the
// connection, and when the probe fails close it, run ZEVLibInit and probe again.
// ZEV_SUCCESS when the device answers, else ZEV_DEV_COM_FAIL.
ZEV_STATUS ConnectionPreamble(LibContext& ctx);

}  // namespace zev::api
