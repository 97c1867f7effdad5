// zev-identify: finds the attached ZEV adapter through libusb, opens it and prints
// what the chip says about itself.
#include <cstdio>
#include <cstring>

#include "device/chip/chip_identity.h"
#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/usb/connection.h"
#include "device/usb/device_discovery.h"
#include "device/usb/libusb_backend.h"
#include "device/usb/register_access.h"

namespace {

const char* SpeedName(uint8_t speed) {
  switch (speed) {
    case zev::kSpeedLow:
      return "low speed";
    case zev::kSpeedFull:
      return "full speed";
    case zev::kSpeedHigh:
      return "high speed";
    default:
      return "unknown";
  }
}

const char* AssistName(uint32_t mode) {
  switch (mode) {
    case 0:
      return "plain FIFO";
    case 1:
      return "old assist";
    default:
      return "new assist";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::printf("usage: zev-identify\n"
                "Prints the identity of the one attached ZEV adapter.\n"
                "Adapters are matched by VID:PID; add identities with ZEV_USB_IDS=vvvv:pppp[,...].\n");
    return 0;
  }
  if (argc > 1) {
    std::fprintf(stderr, "zev-identify: unexpected argument '%s' (try --help)\n", argv[1]);
    return 2;
  }

  zev::LibusbBackend backend;
  zev::LibContext ctx(zev::Variant::Library, &backend);
  const unsigned count = zev::LibCountDevices(ctx);
  std::printf("Adapters found: %u\n", count);
  if (count == 0) {
    const std::string why = backend.LastErrorText();
    std::fprintf(stderr, "zev-identify: no ZEV adapter found%s%s\n", why.empty() ? "" : ": ", why.c_str());
    return 1;
  }
  if (count > 1) {
    std::fprintf(stderr, "zev-identify: %u adapters attached; attach exactly one\n", count);
    return 1;
  }
  char path[zev::kDevicePathChars];
  zev::UsbGetDevicePath(ctx, path, sizeof path, 0);
  if (zev::LibOpenConnection(ctx) != 0) {
    std::fprintf(stderr, "zev-identify: adapter %s found but not usable (open or probe failed: %s)\n", path,
                 backend.LastErrorText().c_str());
    return 1;
  }
  zev::UsbDevice* dev = zev::ConnectedDevice(ctx);
  uint32_t idRev = 0;
  uint32_t fpgaRev = 0;
  const bool idOk = zev::GfxQueryRegDW(dev, zev::ID_REV, &idRev) == 0;
  const bool fpgaOk = zev::GfxQueryRegDW(dev, zev::FPGA_REV, &fpgaRev) == 0;

  std::printf("Path:            %s\n", path);
  std::printf("Bus speed:       %s\n", SpeedName(dev->speed));
  std::printf("Pipes:           bulk OUT 0x%02X, bulk IN 0x%02X, interrupt 0x%02X\n", dev->bulkOutPipe,
              dev->bulkInPipe, dev->interruptPipe);
  if (idOk) {
    std::printf("ID_REV:          0x%08X\n", idRev);
    std::printf("Device ID:       0x%04X\n", idRev >> 16);
    std::printf("Revision:        0x%04X\n", idRev & 0xFFFF);
  } else {
    std::printf("ID_REV:          read failed\n");
  }
  if (fpgaOk) {
    std::printf("FPGA_REV:        0x%08X (%u)\n", fpgaRev, fpgaRev);
  } else {
    std::printf("FPGA_REV:        read failed\n");
  }
  std::printf("Chip:            %s\n", zev::IsSiliconChip(dev) ? "silicon" : "FPGA prototype");
  std::printf("IsSiliconRevA0:  %s\n", zev::IsSiliconRevA0(dev) ? "yes" : "no");
  std::printf("HasHdmiAssist:   %s\n", zev::HasHdmiAssist(dev) ? "yes" : "no");
  std::printf("HasPacked24Bpp:  %s\n", zev::HasPacked24Bpp(dev) ? "yes" : "no");
  const uint32_t assist = zev::I2cGetAssistMode(dev);
  std::printf("I2C assist mode: %u (%s)\n", assist, AssistName(assist));
  zev::LibCloseConnection(ctx);
  return idOk && fpgaOk ? 0 : 1;
}
