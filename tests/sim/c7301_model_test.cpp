// The virtual CH7301: what its power-management register makes the outputs carry.
#include <gtest/gtest.h>

#include "sim/core/chip.h"
#include "sim/devices/c7301.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

TEST(C7301Model, OutputFromPowerManagement) {
  C7301 c7301;
  EXPECT_EQ(c7301.output(), C7301::Output::Off) << "powers up off";
  const struct {
    uint8_t pm;
    C7301::Output output;
  } cases[] = {{0x00, C7301::Output::Vga},
               {0xCE, C7301::Output::Dvi},
               {0x01, C7301::Output::Off},
               {0xCF, C7301::Output::Off},
               {0x0E, C7301::Output::Off}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pm);
    EXPECT_TRUE(c7301.WriteRegister(0x49, c.pm));
    EXPECT_EQ(c7301.output(), c.output);
  }
  EXPECT_EQ(c7301.WriteLog().size(), std::size(cases));
}

TEST(C7301Model, AttachesAt0xECOnBus0) {
  testing::SimRig rig(ChipVariant::SiliconRev1(), BoardDescription::Empty());
  C7301& c7301 = AttachC7301(rig.chip());
  EXPECT_EQ(rig.chip().Find<I2cMasterUnit>()->Bus(0).Target(I2cAddress::SevenBit(0x76)), &c7301);
}

}  // namespace
}  // namespace zev::sim
