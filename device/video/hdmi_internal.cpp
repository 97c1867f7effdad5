#include "device/video/hdmi_internal.h"

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/sii9134_registers.h"

namespace zev {
namespace {

// The first FPGA build that can carry the internal transmitter.
constexpr uint32_t kFirstFpgaWithInternalHdmi = 79;

uint32_t InternalAddress(uint32_t reg) { return HdmiCoreRegister(reg & 0x3FF); }

}  // namespace

bool HdmiIntSetReg(UsbDevice* dev, uint32_t reg, uint32_t value) {
  return GfxSetRegDWBool(dev, InternalAddress(reg), value);
}

bool HdmiIntGetReg(UsbDevice* dev, uint32_t reg, uint32_t* value) {
  return GfxGetRegDWBool(dev, InternalAddress(reg), value);
}

bool HdmiIntSetRegs(UsbDevice* dev, std::initializer_list<HdmiRegValue> writes) {
  for (const HdmiRegValue& w : writes) {
    if (!HdmiIntSetReg(dev, w.reg, w.value)) return false;
  }
  return true;
}

bool HdmiIntSetBytes(UsbDevice* dev, uint32_t first, std::span<const uint8_t> bytes) {
  uint32_t reg = first;
  for (uint8_t byte : bytes) {
    if (!HdmiIntSetReg(dev, reg++, byte)) return false;
  }
  return true;
}

bool HdmiIntClearPacket(UsbDevice* dev, uint32_t first) {
  for (uint32_t reg = first; reg < first + kSii9134PacketBytes; ++reg) {
    if (!HdmiIntSetReg(dev, reg, 0)) return false;
  }
  return true;
}

bool HdmiIntSetBits(UsbDevice* dev, uint32_t reg, uint32_t bits) {
  uint32_t value = 0;
  return HdmiIntGetReg(dev, reg, &value) && HdmiIntSetReg(dev, reg, (value & 0xFF) | bits);
}

bool HdmiIsInternal(UsbDevice* dev, bool* internal) {
  if (dev == nullptr || internal == nullptr) return false;
  if (dev->fpgaRev == 0) {
    *internal = true;
    return true;
  }
  if (dev->fpgaRev < kFirstFpgaWithInternalHdmi) {
    *internal = false;
    return true;
  }
  uint32_t hi = 0;
  uint32_t lo = 0;
  if (!HdmiIntGetReg(dev, SII9134_DID_HI, &hi) || !HdmiIntGetReg(dev, SII9134_DID_LO, &lo)) return false;
  *internal = (hi & 0xFF) == kHdmiInternalDidHi && (lo & 0xFF) == kHdmiInternalDidLo;
  return true;
}

}  // namespace zev
