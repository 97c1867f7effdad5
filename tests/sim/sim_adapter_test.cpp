#include "sim/usb/sim_adapter.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/eeprom/eeprom_image_builder.h"
#include "sim/units/system_unit.h"

namespace zev::sim {
namespace {

SetupPacket MakeSetup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length) {
  SetupPacket s;
  s.bmRequestType = type;
  s.bRequest = request;
  s.wValue = value;
  s.wIndex = index;
  s.wLength = length;
  return s;
}

uint32_t ReadReg(SimAdapter& a, uint16_t address) {
  uint8_t data[4] = {};
  EXPECT_TRUE(a.Control(MakeSetup(0xC0, 0xA1, 0, address, 4), data).ok());
  return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
}

std::vector<uint8_t> GetDescriptor(SimAdapter& a, uint8_t type, uint8_t index, TransferStatus* status = nullptr) {
  std::vector<uint8_t> data(1024);
  const TransferResult r = a.Control(MakeSetup(0x80, 0x06, static_cast<uint16_t>(type << 8 | index), 0, 1024), data.data());
  if (status != nullptr) *status = r.status;
  data.resize(r.length);
  return data;
}

std::string StringText(const std::vector<uint8_t>& descriptor) {
  std::string text;
  for (size_t i = 2; i + 1 < descriptor.size(); i += 2) text += static_cast<char>(descriptor[i]);
  return text;
}

SimAdapter::Options WithClock(SimClock& clock, ChipVariant variant = ChipVariant::SiliconRev1()) {
  SimAdapter::Options o;
  o.clock = &clock;
  o.variant = variant;
  return o;
}

TEST(SimAdapter, ResetValuesComeFromTheRegisterTables) {
  SimClock clock;
  struct Case {
    ChipVariant variant;
    uint16_t address;
    uint32_t value;
  } cases[] = {
      {ChipVariant::SiliconRev1(), ID_REV, 0x9D000001}, {ChipVariant::SiliconA0(), ID_REV, 0x9D000000},
      {ChipVariant::Fpga(110), FPGA_REV, 110},          {ChipVariant::SiliconRev1(), DP_CSR, 0x80000000},
      {ChipVariant::SiliconRev1(), SYS_PLL_CTL, 0x8000000F}, {ChipVariant::SiliconRev1(), LED_CFG1, 0xFFFFFFFF},
      {ChipVariant::SiliconRev1(), DC_CTRL, 0x01000108}, {ChipVariant::Fpga(50), DC_CTRL, 0x00000108},
      {ChipVariant::Fpga(50), DC_STS, 0x00020100},       {ChipVariant::SiliconRev1(), DC_IF_DVO_CTRL, 0x20},
      {ChipVariant::SiliconRev1(), IC_COMP_TYPE, 0x44570140}, {ChipVariant::SiliconRev1(), IC_CON, 0x3B},
      {ChipVariant::SiliconRev1(), FS_ATTR, 0x00010000},
  };
  for (const auto& c : cases) {
    SimAdapter adapter(WithClock(clock, c.variant));
    EXPECT_EQ(ReadReg(adapter, c.address), c.value) << c.variant.Name() << " " << std::hex << c.address;
  }
}

TEST(SimAdapter, ReadOnlyRegistersIgnoreWritesAndUndecodedAddressesReadZero) {
  SimClock clock;
  SimAdapter adapter(WithClock(clock));
  uint8_t data[4] = {1, 2, 3, 4};
  ASSERT_TRUE(adapter.Control(MakeSetup(0x40, 0xA0, 0, ID_REV, 4), data).ok());
  EXPECT_EQ(ReadReg(adapter, ID_REV), 0x9D000001u);
  ASSERT_TRUE(adapter.Control(MakeSetup(0x40, 0xA0, 0, 0x7FF0, 4), data).ok());
  EXPECT_EQ(ReadReg(adapter, 0x7FF0), 0u);
  EXPECT_EQ(adapter.trace().Counters().undecodedAccesses, 2u);
  EXPECT_TRUE(adapter.trace().Events().back().undecoded);
}

TEST(SimAdapter, MalformedVendorRequestsStall) {
  SimClock clock;
  SimAdapter adapter(WithClock(clock));
  uint8_t data[8] = {};
  EXPECT_EQ(adapter.Control(MakeSetup(0xC0, 0xA1, 0, ID_REV, 8), data).status, TransferStatus::Stall);
  EXPECT_EQ(adapter.Control(MakeSetup(0xC0, 0xA7, 0, ID_REV, 4), data).status, TransferStatus::Stall);
}

TEST(SimAdapter, StuckBitsAndLinkFaults) {
  SimClock clock;
  SimAdapter adapter(WithClock(clock));
  adapter.chip().SetStuckBits(DP_CSR, {0x1, 0x80000000});
  EXPECT_EQ(ReadReg(adapter, DP_CSR), 0x00000001u);
  adapter.chip().ClearStuckBits();

  uint8_t data[4] = {};
  adapter.faults().failAddresses.insert(I2C_SEL);
  EXPECT_EQ(adapter.Control(MakeSetup(0xC0, 0xA1, 0, I2C_SEL, 4), data).status, TransferStatus::Failed);
  EXPECT_TRUE(adapter.Control(MakeSetup(0xC0, 0xA1, 0, ID_REV, 4), data).ok());
  adapter.faults().stallControl = true;
  EXPECT_EQ(adapter.Control(MakeSetup(0xC0, 0xA1, 0, ID_REV, 4), data).status, TransferStatus::Stall);
  adapter.Unplug();
  EXPECT_EQ(adapter.Control(MakeSetup(0xC0, 0xA1, 0, ID_REV, 4), data).status, TransferStatus::NoDevice);
}

TEST(SimAdapter, EachTransferCostsBusTime) {
  SimClock clock;
  SimAdapter adapter(WithClock(clock));
  const uint64_t start = clock.NowUs();
  ReadReg(adapter, ID_REV);
  EXPECT_EQ(clock.NowUs() - start, SimAdapter::kControlTransferUs);
  std::vector<uint8_t> frame(100 * 1024 * 1024 / 10);
  const uint64_t before = clock.NowUs();
  adapter.BulkOut(0x01, frame);
  EXPECT_NEAR(static_cast<double>(clock.NowUs() - before), 100000.0, 1000.0);  // 10 MiB at 100 MiB/s
  adapter.Unplug();
  const uint64_t unplugged = clock.NowUs();
  uint8_t data[4];
  EXPECT_EQ(adapter.Control(MakeSetup(0xC0, 0xA1, 0, ID_REV, 4), data).status, TransferStatus::NoDevice);
  EXPECT_EQ(clock.NowUs() - unplugged, SimAdapter::kControlTransferUs) << "failing still takes time, so polls time out";
}

TEST(SimAdapter, DescriptorsComeFromTheEepromImage) {
  SimClock clock;
  EepromImageFields fields;
  fields.vendorId = 0x1209;
  fields.productId = 0x0002;
  fields.cfg0 = 0x9;  // self powered, LPM
  fields.serialNumber = "SN4711";
  SimAdapter::Options options = WithClock(clock);
  std::string error;
  ASSERT_TRUE(BuildEepromImage(fields, 512, &options.eeprom, &error)) << error;
  SimAdapter adapter(std::move(options));

  const auto device = GetDescriptor(adapter, 1, 0);
  ASSERT_EQ(device.size(), 18u);
  EXPECT_EQ(device[2] | device[3] << 8, 0x0210) << "LPM reports bcdUSB 2.10";
  EXPECT_EQ(device[8] | device[9] << 8, 0x1209);
  EXPECT_EQ(device[10] | device[11] << 8, 0x0002);

  const auto config = GetDescriptor(adapter, 2, 0);
  ASSERT_EQ(config.size(), 32u) << "configuration, interface and the two inserted endpoints";
  EXPECT_EQ(config[2], 32);
  EXPECT_EQ(config[7] & 0x40, 0x40) << "self powered";
  EXPECT_EQ(config[18 + 1], 0x05);
  EXPECT_EQ(config[18 + 2], 0x01);
  EXPECT_EQ(config[25 + 2], 0x81);

  EXPECT_EQ(GetDescriptor(adapter, 3, 0), (std::vector<uint8_t>{4, 3, 0x09, 0x04}));
  EXPECT_EQ(StringText(GetDescriptor(adapter, 3, 3)), "SN4711");
  EXPECT_EQ(StringText(GetDescriptor(adapter, 3, 1)), "Voskar");
  EXPECT_EQ(GetDescriptor(adapter, 0x0F, 0).size(), 12u);
  EXPECT_EQ(GetDescriptor(adapter, 6, 0).size(), 10u) << "device qualifier at high speed";

  std::vector<uint8_t> status(2);
  ASSERT_TRUE(adapter.Control(MakeSetup(0x80, 0x00, 0, 0, 2), status.data()).ok());
  EXPECT_EQ(status[0], 1) << "self powered";
}

TEST(SimAdapter, SuperSpeedConfigurationCarriesCompanions) {
  SimClock clock;
  SimAdapter::Options options = WithClock(clock);
  options.speed = BusSpeed::Super;
  SimAdapter adapter(std::move(options));
  const auto config = GetDescriptor(adapter, 2, 0);
  ASSERT_EQ(config.size(), 44u);
  EXPECT_EQ(config[2], 44);
  EXPECT_EQ(config[18 + 7 + 1], 0x30);
  EXPECT_EQ(GetDescriptor(adapter, 1, 0)[7], 9);
}

TEST(SimAdapter, ImageWithoutSignatureGivesBuiltInDescriptorsWithoutStrings) {
  SimClock clock;
  SimAdapter::Options options = WithClock(clock);
  options.eeprom.assign(256, 0xFF);  // erased part
  SimAdapter adapter(std::move(options));
  const auto device = GetDescriptor(adapter, 1, 0);
  EXPECT_EQ(device[8] | device[9] << 8, 0x1209);
  EXPECT_EQ(device[10] | device[11] << 8, 0x0001);
  EXPECT_EQ(device[14], 0);
  TransferStatus status;
  GetDescriptor(adapter, 3, 0, &status);
  EXPECT_EQ(status, TransferStatus::Stall);
  EXPECT_EQ(GetDescriptor(adapter, 2, 0).size(), 32u);
}

TEST(SimAdapter, ImageWithBrokenLocatorsFallsBackToBuiltIn) {
  SimClock clock;
  SimAdapter::Options options = WithClock(clock);
  options.eeprom = DefaultEepromImage();
  options.eeprom[0x46] = 18;
  options.eeprom[0x47] = 0xFF;  // full-speed device descriptor beyond the 512-byte part
  SimAdapter adapter(std::move(options));
  EXPECT_FALSE(adapter.descriptors().FromImage());
}

TEST(SimAdapter, DeviceResetReloadsTheEepromAndRejoins) {
  SimClock clock;
  SimAdapter adapter(WithClock(clock));
  std::vector<BusEvent> events;
  adapter.SetBusListener([&](BusEvent e) { events.push_back(e); });
  EepromImageFields fields;
  fields.productId = 0x0003;
  std::string error;
  std::vector<uint8_t> image;
  ASSERT_TRUE(BuildEepromImage(fields, 512, &image, &error));
  adapter.eeprom().Assign(image);
  EXPECT_EQ(adapter.descriptors().ProductId(), 0x0002) << "read only at power-up and reset";

  uint8_t data[4] = {0x02, 0, 0, 0};
  EXPECT_TRUE(adapter.Control(MakeSetup(0x40, 0xA0, 0, HW_CFG, 4), data).ok());
  EXPECT_EQ(events, (std::vector<BusEvent>{BusEvent::Left, BusEvent::Joined}));
  EXPECT_EQ(adapter.descriptors().ProductId(), 0x0003);
}

TEST(SimAdapter, LiteResetCompletesUnlessStuck) {
  SimClock clock;
  SimAdapter adapter(WithClock(clock));
  uint8_t one[4] = {1, 0, 0, 0};
  adapter.Control(MakeSetup(0x40, 0xA0, 0, HW_CFG, 4), one);
  EXPECT_EQ(ReadReg(adapter, HW_CFG) & 1, 0u) << "over by the next transfer";
  EXPECT_EQ(adapter.chip().Find<SystemUnit>()->liteResets(), 1);
  adapter.chip().Find<SystemUnit>()->liteResetStuck = true;
  adapter.Control(MakeSetup(0x40, 0xA0, 0, HW_CFG, 4), one);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ReadReg(adapter, HW_CFG) & 1, 1u);
}

TEST(ChipVariant, ParsesNames) {
  EXPECT_EQ(ChipVariant::Parse("a0")->kind, ChipVariant::Kind::SiliconA0);
  EXPECT_EQ(ChipVariant::Parse("fpga130")->FpgaRev(), 130u);
  for (const char* bad : {"", "fpga", "fpga0", "fpgax", "rev2", "fpga12x"}) {
    EXPECT_FALSE(ChipVariant::Parse(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace zev::sim
