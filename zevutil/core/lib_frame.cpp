#include "zevutil/core/lib_frame.h"

#include "device/chip/hw_init.h"
#include "device/core/lib_context.h"
#include "device/usb/connection.h"
#include "device/usb/device_discovery.h"

namespace zev::api {

ZEV_STATUS ZEVLibInit(LibContext& ctx) {
  if (LibCountDevices(ctx) > 1) return ZEV_LIB_MORE_THAN_ONE_DEV;
  // A client calling this twice gets a fresh connection instead of a second handle
  // on a device the first one still holds.
  LibCloseConnection(ctx);
  if (LibOpenConnection(ctx) != 0) return ZEV_FRM_WRK_INIT_FAIL;
  if (!LibHwBringUp(ctx)) return ZEV_HDWRE_INIT_FAIL;
  return ZEV_SUCCESS;
}

ZEV_STATUS ZEVLibDeInit(LibContext& ctx) {
  LibCloseConnection(ctx);
  return ZEV_SUCCESS;
}

ZEV_STATUS ConnectionPreamble(LibContext& ctx) {
  if (LibProbeDevice(ctx) == 0) return ZEV_SUCCESS;
  ZEVLibDeInit(ctx);
  if (ZEVLibInit(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  return LibProbeDevice(ctx) == 0 ? ZEV_SUCCESS : ZEV_DEV_COM_FAIL;
}

}  // namespace zev::api
