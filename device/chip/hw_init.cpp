#include "device/chip/hw_init.h"

#include "device/chip/chip_identity.h"
#include "device/chip/ddr2_init.h"
#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/core/lib_context.h"
#include "device/usb/register_access.h"
#include "device/video/i2c_master.h"

namespace zev {
namespace {

// Clock and memory by chip kind; false after printing the failing step's line.
bool InitClockAndMemory(UsbDevice* dev) {
  if (!IsSiliconChip(dev)) {
    FpgaReleasePlls(dev);
    Sleep(1);
    if (!Ddr2Init(dev)) {
      DevPrintf(dev, "ERROR:  GfxHwInit() failed calling Ddr2Init\n");
      return false;
    }
    return true;
  }
  if (!config_sys_clk(dev->ctx->gSysClk, dev)) {
    DevPrintf(dev, "ERROR:  config_sys_clk() failed Initializing slk_sys_pll\n");
    return false;
  }
  if (!SiliconDdr2Init(dev)) {
    DevPrintf(dev, "ERROR:  GfxHwInit() failed calling SiliconDdr2Init\n");
    return false;
  }
  return true;
}

}  // namespace

bool GfxHwInit(UsbDevice* dev) {
  // Device records come from the connection open, which ties them to their context.
  if (dev != nullptr && dev->ctx == nullptr) return false;

  if (!VoskarLRST(dev)) {
    DevPrintf(dev, "ERROR:  GfxHwInit() failed calling ZEVLRST\n");
    return false;
  }
  if (!InitClockAndMemory(dev)) return false;
  if (!VgaI2cInit(dev)) {
    DevPrintf(dev, "ERROR:  GfxHwInit() failed calling VgaI2cInit\n");
    return false;
  }

  GfxSetRegDW(dev, GE_CTRL, 1);
  GfxSetRegDW(dev, GE_CTRL, GfxGetRegDW(dev, GE_CTRL) | 1);

  if (IsUtilityVariant(dev)) DevPrintf(dev, "\n  GfxHwInit() Set HDMI as default video port.\n");
  GfxSetRegDW(dev, RGB_CFG, 3);
  GfxSetRegDW(dev, VDAC_CFG, 7);
  GfxSetRegDW(dev, I2C_SEL, 1);
  GfxGetRegDW(dev, I2C_SEL);  // read back; the value is not used

  uint32_t fpgaRev = 0;
  uint32_t idRev = 0;
  GfxQueryRegDW(dev, FPGA_REV, &fpgaRev);
  GfxQueryRegDW(dev, ID_REV, &idRev);
  dev->fpgaRev = fpgaRev;
  dev->idRev = idRev;
  return true;
}

bool LibHwBringUp(LibContext& ctx) {
  GfxChangeSysClk(ctx, static_cast<int32_t>(ctx.gFreqIndex));
  Ddr2SelectOdt(ctx, ctx.gOdtIndex);
  return GfxHwInit(ConnectedDevice(ctx));
}

}  // namespace zev
