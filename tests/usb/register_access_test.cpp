#include "device/usb/register_access.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using sim::TraceEvent;

int CountKind(const sim::Trace& trace, TraceEvent::Kind kind) {
  int n = 0;
  for (const auto& e : trace.Events()) n += e.kind == kind;
  return n;
}

TEST(RegisterAccess, ReadWhileUnpluggedTriesThreeTimesThenGivesTheMarker) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.adapter().Unplug();

  EXPECT_EQ(GfxGetRegDW(dev, ID_REV), 0xFFFAFFFFu);
  EXPECT_EQ(CountKind(rig.trace(), TraceEvent::Kind::Failed), 3);

  uint32_t value = 0x1234;
  EXPECT_EQ(GfxQueryRegDW(dev, ID_REV, &value), 1u);
  EXPECT_EQ(value, 0u);

  value = 0;
  EXPECT_FALSE(GfxGetRegDWBool(dev, ID_REV, &value));
  EXPECT_EQ(value, 0xFFFAFFFFu);
  EXPECT_EQ(GfxSetRegDW(dev, I2C_SEL, 1), 1u);
  EXPECT_FALSE(GfxSetRegDWBool(dev, I2C_SEL, 1));
  EXPECT_EQ(CountKind(rig.trace(), TraceEvent::Kind::Failed), 15);
}

TEST(RegisterAccess, UtilityVariantUsesItsOwnMarker) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, Variant::Utility);
  UsbDevice* dev = rig.Open();
  rig.adapter().Unplug();
  EXPECT_EQ(GfxGetRegDW(dev, ID_REV), 0xFFFEFFFFu);
}

TEST(RegisterAccess, TwoFailedAttemptsAreRecoveredByTheThird) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.adapter().faults().failNext = 2;
  EXPECT_EQ(GfxGetRegDW(dev, ID_REV), 0x9D000001u);
  rig.adapter().faults().failNext = 2;
  EXPECT_EQ(GfxSetRegDW(dev, I2C_SEL, 1), 0u);
  EXPECT_EQ(rig.chip().Peek(I2C_SEL), 1u);
  rig.adapter().faults().failNext = 3;
  EXPECT_EQ(GfxSetRegDW(dev, I2C_SEL, 0), 1u);
  EXPECT_EQ(rig.chip().Peek(I2C_SEL), 1u);
}

TEST(RegisterAccess, InvalidDeviceRecordIssuesNothing) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  uint32_t value = 77;
  EXPECT_EQ(GfxSetRegDW(nullptr, I2C_SEL, 1), 1u);
  EXPECT_EQ(GfxQueryRegDW(nullptr, ID_REV, &value), 1u);
  EXPECT_EQ(value, 77u);  // untouched
  EXPECT_EQ(GfxGetRegDW(nullptr, ID_REV), 0xFFFAFFFFu);
  EXPECT_EQ(GfxBulkWrite(nullptr, reinterpret_cast<const uint8_t*>("x"), 1), 0u);

  dev->magic = 0;
  EXPECT_EQ(GfxSetRegDW(dev, I2C_SEL, 1), 1u);
  EXPECT_EQ(GfxBulkWrite(dev, reinterpret_cast<const uint8_t*>("x"), 1), 0u);
  dev->magic = USB_DEVICE_MAGIC;
  EXPECT_TRUE(rig.trace().Events().empty());
}

TEST(RegisterAccess, AddressIsSentAsSixteenBits) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_EQ(GfxSetRegDW(dev, 0x10000 + I2C_SEL, 5), 0u);
  EXPECT_EQ(GfxGetRegDW(dev, 0x8024), 0u);  // VDAC_CFG, 0x8000 and above unchanged
  ASSERT_EQ(rig.trace().Events().size(), 2u);
  EXPECT_EQ(rig.trace().Events()[0].address, I2C_SEL);
  EXPECT_EQ(rig.trace().Events()[0].value, 5u);
  EXPECT_EQ(rig.trace().Events()[1].address, 0x8024);
}

TEST(RegisterAccess, ValuesTravelLittleEndian) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_EQ(GfxSetRegDW(dev, GPIO_DATA, 0xA1B2C3D4), 0u);
  EXPECT_EQ(rig.chip().Peek(GPIO_DATA), 0xA1B2C3D4u);
  EXPECT_EQ(GfxGetRegDW(dev, GPIO_DATA), 0xA1B2C3D4u);
}

TEST(BulkWrite, WholeBufferGoesInOneTransfer) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  std::vector<uint8_t> frame(3 * 1024 * 1024, 0x5A);
  EXPECT_EQ(GfxBulkWrite(dev, frame.data(), static_cast<uint32_t>(frame.size())), frame.size());
  EXPECT_EQ(rig.trace().Counters().bulkTransfers, 1u);
  EXPECT_EQ(rig.trace().Counters().bulkBytes, frame.size());
}

TEST(BulkWrite, FailureReportsZeroWithoutRetry) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  const uint8_t packet[8] = {};
  rig.adapter().faults().stallBulk = true;
  EXPECT_EQ(GfxBulkWrite(dev, packet, sizeof packet), 0u);
  rig.adapter().faults().stallBulk = false;
  rig.adapter().faults().failNext = 1;
  EXPECT_EQ(GfxBulkWrite(dev, packet, sizeof packet), 0u);
  EXPECT_EQ(rig.trace().Counters().failedTransfers, 2u);
  EXPECT_EQ(rig.trace().Counters().bulkTransfers, 0u);
  EXPECT_EQ(GfxBulkWrite(dev, packet, sizeof packet), 8u);
}

}  // namespace
}  // namespace zev
