// A stand-in for libzevutil.so without ZEVLibInit: a client must not call into it.
#include "zevutil.h"

extern "C" {

ZEV_API ZEV_STATUS ZEVLibDeInit(void) { return ZEV_SUCCESS; }
ZEV_API uint32_t ZEVGetMemSize(void) { return 0x1FFFFFF; }

}  // extern "C"
