#include "device/chip/chip_identity.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

struct IdentityCase {
  const char* variant;
  bool failFpgaRead;
  bool silicon, revA0, hdmiAssist, packed24;
  uint32_t assistMode;
};

TEST(ChipIdentity, ByVariant) {
  const IdentityCase cases[] = {
      {"a0", false, true, true, false, true, 1},
      {"rev1", false, true, false, true, true, 2},
      {"fpga53", false, false, false, false, false, 0},
      {"fpga60", false, false, false, false, true, 0},
      {"fpga66", false, false, false, false, true, 1},
      {"fpga102", false, false, false, false, true, 1},
      {"fpga103", false, false, false, false, true, 2},
      {"fpga127", false, false, false, false, true, 2},
      {"fpga128", false, false, false, true, true, 2},
      // A failed FPGA_REV read gives the marker: an FPGA of build >= 128.
      {"rev1", true, false, false, true, true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.variant) + (c.failFpgaRead ? " with FPGA_REV failing" : ""));
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    UsbDevice* dev = rig.Open();
    if (c.failFpgaRead) rig.adapter().faults().failAddresses.insert(FPGA_REV);
    EXPECT_EQ(IsSiliconChip(dev), c.silicon);
    EXPECT_EQ(IsSiliconRevA0(dev), c.revA0);
    EXPECT_EQ(HasHdmiAssist(dev), c.hdmiAssist);
    EXPECT_EQ(HasPacked24Bpp(dev), c.packed24);
    EXPECT_EQ(I2cGetAssistMode(dev), c.assistMode);
  }
}

TEST(ChipIdentity, RevisionAndBuildNumbers) {
  testing::SimRig a0(sim::ChipVariant::SiliconA0());
  EXPECT_EQ(ChipRevision(a0.Open()), 0u);
  EXPECT_EQ(FpgaRevision(a0.dev()), 0u);
  testing::SimRig fpga(sim::ChipVariant::Fpga(110));
  EXPECT_EQ(FpgaRevision(fpga.Open()), 110u);
  fpga.adapter().faults().failAddresses.insert(ID_REV);
  EXPECT_EQ(ChipRevision(fpga.dev()), 0xFFFFu) << "the marker's low half";
}

}  // namespace
}  // namespace zev
