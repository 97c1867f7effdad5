#include "device/usb/device_discovery.h"

#include <string>
#include <vector>

#include "device/core/lib_context.h"

namespace zev {
namespace {

void UtilityPrintf(LibContext& ctx, const char* format, const char* text = "") {
  if (ctx.IsUtility()) DiagPrintf(ctx.diag, format, text);
}

}  // namespace

bool UsbGetDevicePath(LibContext& ctx, char* buffer, size_t size, uint32_t index) {
  std::vector<std::string> paths;
  if (ctx.backend == nullptr || !ctx.backend->ListDevicePaths(&paths)) {
    UtilityPrintf(ctx, "SetupDiGetClassDevs failed!\n");
    return false;
  }
  if (index >= paths.size()) {
    // Enumeration ends here; the system message is shown only by the utility.
    if (ctx.IsUtility()) DiagPrintf(ctx.diag, "SetupDiEnumDeviceInterfaces failed: %s", "No more data is available.\n");
    return false;
  }
  const std::string& path = paths[index];
  if (buffer == nullptr || size == 0 || size > 0x7FFFFFFF || path.size() >= size) return false;
  path.copy(buffer, path.size());
  buffer[path.size()] = '\0';
  UtilityPrintf(ctx, "DeviceName = (%s)\n", buffer);
  return true;
}

uint8_t LibCountDevices(LibContext& ctx) {
  char path[kDevicePathChars];
  uint32_t index = 0;
  while (index < kMaxDeviceIndex && UsbGetDevicePath(ctx, path, sizeof path, index)) ++index;
  return static_cast<uint8_t>(index);
}

bool UsbOpenDevice(LibContext& ctx, UsbHandles* handles) {
  char path[kDevicePathChars];
  if (!UsbGetDevicePath(ctx, path, sizeof path, 0)) return false;
  std::unique_ptr<UsbTransport> transport = ctx.backend->Open(path);
  if (transport == nullptr) return false;

  uint8_t speed = kSpeedUnknown;
  if (transport->QuerySpeed(&speed) && speed >= kSpeedLow && speed <= kSpeedHigh) {
    static const char* const kSpeedLines[] = {"", "Device is configured as LOWSPEED\n",
                                              "Device is configured as FULLSPEED \n",
                                              "DEVICE is Configured as HighSpeed \n"};
    UtilityPrintf(ctx, kSpeedLines[speed]);
  } else {
    speed = kSpeedUnknown;
  }

  UsbHandles found;
  found.speed = speed;
  uint8_t endpointCount = 0;
  bool lastQueryOk = transport->QueryInterfaceSettings(0, &endpointCount);
  if (!lastQueryOk) endpointCount = 0;
  for (uint8_t index = 0; index < endpointCount; ++index) {
    PipeInfo pipe;
    lastQueryOk = transport->QueryPipe(0, index, &pipe);
    if (!lastQueryOk) continue;
    const bool in = (pipe.pipeId & 0x80) != 0;
    switch (pipe.type) {
      case PipeType::Bulk:
        if (in) {
          found.bulkInPipe = pipe.pipeId;
          if (ctx.IsUtility()) DiagPrintf(ctx.diag, "InPipeId = %d\n", pipe.pipeId);
        } else {
          found.bulkOutPipe = pipe.pipeId;
          if (ctx.IsUtility()) DiagPrintf(ctx.diag, "OutPipeId = %d\n", pipe.pipeId);
        }
        break;
      case PipeType::Interrupt:
        found.interruptPipe = pipe.pipeId;
        if (ctx.IsUtility()) DiagPrintf(ctx.diag, "InterruptPipe Id= %d\n", pipe.pipeId);
        break;
      case PipeType::Control:
        found.controlPipe = pipe.pipeId;
        if (ctx.IsUtility()) DiagPrintf(ctx.diag, "ControlPipId = %d \n", pipe.pipeId);
        break;
      case PipeType::Isochronous:
        break;
    }
  }
  found.transport = std::move(transport);
  *handles = std::move(found);
  return lastQueryOk;
}

void UsbCloseDevice(UsbHandles* handles) {
  if (handles != nullptr) handles->transport.reset();
}

}  // namespace zev
