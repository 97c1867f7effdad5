// Access to the internal transmitter and the choice between internal and external.
#include "device/video/hdmi_internal.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/sii9134_registers.h"
#include "tests/video/hdmi_test_rig.h"

namespace zev {
namespace {

TEST(HdmiIntReg, RegisterNumberMapsToItsChipRegister) {
  testing::SimRig rig;
  UsbDevice* dev = testing::OpenHdmi(rig);
  EXPECT_TRUE(HdmiIntSetReg(dev, SII9134_AUD_MODE, 0x11));
  EXPECT_TRUE(HdmiIntSetReg(dev, 0x7FF, 0x22));  // numbers wrap at 0x400
  EXPECT_EQ(rig.trace().Writes(), (std::vector<std::pair<uint16_t, uint32_t>>{{0x9450, 0x11}, {0x9FFC, 0x22}}));
  EXPECT_EQ(testing::Internal(rig).Peek(SII9134_AUD_MODE), 0x11);

  uint32_t value = 0;
  EXPECT_TRUE(HdmiIntGetReg(dev, SII9134_DID_HI, &value));
  EXPECT_EQ(value, 0x97u);
  rig.adapter().faults().failAddresses.insert(0x9008);
  EXPECT_FALSE(HdmiIntGetReg(dev, SII9134_DID_LO, &value));
  EXPECT_EQ(value, REG_READ_FAILED);
  EXPECT_FALSE(HdmiIntSetReg(dev, SII9134_DID_LO, 0));
}

TEST(HdmiIsInternal, ByChipAndIdentity) {
  const struct {
    const char* variant;
    bool internalPresent;
    bool internal;
    bool readsIdentity;
  } cases[] = {
      {"rev1", true, true, false},     // production chip: always internal, nothing read
      {"a0", true, true, false},
      {"fpga60", false, false, false},   // before build 79: external, nothing read
      {"fpga78", true, false, false},    // even a block that would answer is not asked
      {"fpga79", true, true, true},      // from 79 on the identity decides
      {"fpga130", true, true, true},
      {"fpga100", false, false, true},   // a build without the block reads 0 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    testing::Hdmi(rig).internalPresent = c.internalPresent;
    UsbDevice* dev = testing::OpenHdmi(rig);
    bool internal = !c.internal;
    EXPECT_TRUE(HdmiIsInternal(dev, &internal));
    EXPECT_EQ(internal, c.internal);
    const std::vector<uint16_t> identityReads{0x900C, 0x9008};
    EXPECT_EQ(rig.trace().ReadAddresses(), c.readsIdentity ? identityReads : std::vector<uint16_t>{});
  }
}

TEST(HdmiIsInternal, FailedIdentityReadFails) {
  testing::SimRig rig(sim::ChipVariant::Fpga(100));
  UsbDevice* dev = testing::OpenHdmi(rig);
  rig.adapter().faults().failAddresses.insert(0x9008);
  bool internal = false;
  EXPECT_FALSE(HdmiIsInternal(dev, &internal));
  EXPECT_FALSE(HdmiIsInternal(nullptr, &internal));
}

}  // namespace
}  // namespace zev
