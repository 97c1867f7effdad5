// A stand-in for libzevutil.so that has the lifecycle and the HDMI mute pair but no
// other export, so a client's handling of missing exports can be seen. It touches no
// device.
#include "zevutil.h"

extern "C" {

ZEV_API ZEV_STATUS ZEVLibInit(void) { return ZEV_SUCCESS; }
ZEV_API ZEV_STATUS ZEVLibDeInit(void) { return ZEV_SUCCESS; }
ZEV_API ZEV_STATUS ZEVHdmiMute(void) { return ZEV_SUCCESS; }
ZEV_API ZEV_STATUS ZEVHdmiUnMute(void) { return ZEV_HDWRE_INIT_FAIL; }

}  // extern "C"
