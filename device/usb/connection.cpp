#include "device/usb/connection.h"

#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/usb/device_discovery.h"
#include "device/usb/register_access.h"

namespace zev {

uint32_t LibOpenConnection(LibContext& ctx) {
  auto device = std::make_unique<UsbDevice>();
  auto handles = std::make_unique<UsbHandles>();
  // A failed open releases whatever it acquired with the records.
  if (!UsbOpenDevice(ctx, handles.get())) return 1;

  device->transport = handles->transport.get();
  device->bulkInPipe = handles->bulkInPipe;
  device->bulkOutPipe = handles->bulkOutPipe;
  device->interruptPipe = handles->interruptPipe;
  device->controlPipe = handles->controlPipe;
  device->speed = handles->speed;
  device->ctx = &ctx;
  device->magic = USB_DEVICE_MAGIC;
  ctx.connection.device = std::move(device);
  ctx.connection.handles = std::move(handles);

  if (ctx.IsUtility()) {
    const uint32_t idRev = GfxGetRegDW(ctx.connection.device.get(), ID_REV);
    DiagPrintf(ctx.diag, "TOTAL:: 0x%X\n", idRev);
    DiagPrintf(ctx.diag, "Device Rev:: 0x%X\n", idRev & 0xFFFF);
    DiagPrintf(ctx.diag, "Device ID:: 0x%X\n", idRev >> 16);
  }

  if (LibProbeDevice(ctx) != 0) {
    LibCloseConnection(ctx);
    return 1;
  }

  ctx.gHdmiAudio.bAudioSource = AUDIO_I2S0;
  ctx.gHdmiAudio.bMclk = 2;
  ctx.gHdmiAudio.bFsMode = I2S_FS_44_1;
  ctx.gHdmiAudio.bSuppression = 0;
  ctx.gHdmiAudio.bNSval = 0;
  return 0;
}

uint32_t LibProbeDevice(LibContext& ctx, uint32_t* idRev) {
  UsbDevice* dev = ctx.connection.device.get();
  if (dev == nullptr) return 1;
  uint32_t value = 0;
  const uint32_t result = GfxQueryRegDW(dev, ID_REV, &value);
  if (idRev != nullptr) *idRev = value;
  return result;
}

void LibCloseConnection(LibContext& ctx) {
  if (ctx.connection.device == nullptr) return;
  if (ctx.connection.handles != nullptr) {
    UsbCloseDevice(ctx.connection.handles.get());
    ctx.connection.handles.reset();
  }
  ctx.connection.device.reset();
}

}  // namespace zev
