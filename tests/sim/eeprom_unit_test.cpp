#include "sim/units/eeprom_unit.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/eeprom/eeprom_controller.h"
#include "device/eeprom/eeprom_image_builder.h"
#include "device/usb/register_access.h"
#include "sim/usb/sim_adapter.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

// One adapter driven straight through its chip's bus view, with time advanced by hand.
struct Bench {
  explicit Bench(std::vector<uint8_t> part = {}) : adapter(Options(std::move(part))) {}

  SimAdapter::Options Options(std::vector<uint8_t> part) {
    SimAdapter::Options o;
    o.clock = &clock;
    o.eeprom = std::move(part);
    return o;
  }
  Chip& chip() { return adapter.chip(); }
  EepromUnit& unit() { return *chip().Find<EepromUnit>(); }
  // A register write as the host sends it, so the front acts on a device reset.
  void HostWrite(uint32_t address, uint32_t value) {
    SetupPacket setup;
    setup.bmRequestType = kVendorWriteRequestType;
    setup.bRequest = kRegWriteRequest;
    setup.wIndex = static_cast<uint16_t>(address);
    setup.wLength = 4;
    uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                       static_cast<uint8_t>(value >> 24)};
    ASSERT_TRUE(adapter.Control(setup, data).ok());
  }
  bool Busy() { return (chip().Read(E2P_CMD) & E2P_CMD_BUSY) != 0; }
  // Issues a command and lets it finish; the time it was busy.
  uint64_t Run(uint32_t word, uint8_t data = 0) {
    chip().Write(E2P_DATA, data);
    chip().Write(E2P_CMD, word);
    const uint64_t start = clock.NowUs();
    while (Busy() && clock.NowUs() - start < 1000000) clock.AdvanceUs(1);
    return clock.NowUs() - start;
  }

  SimClock clock;
  SimAdapter adapter;
};

std::vector<uint8_t> Filled(uint32_t size, uint8_t value) { return std::vector<uint8_t>(size, value); }

TEST(EepromUnit, SmallerPartsIgnoreTheHighAddressBits) {
  const struct {
    uint32_t size;
    uint32_t cell;
  } parts[] = {{128, 0x43}, {256, 0xC3}, {512, 0x1C3}};
  for (const auto& p : parts) {
    Bench bench(Filled(p.size, 0x00));
    bench.Run(E2P_CMD_EWEN);
    bench.Run(E2P_CMD_WRITE | 0x1C3, 0x5A);
    EXPECT_EQ(bench.adapter.eeprom()[p.cell], 0x5A) << p.size;
    bench.Run(E2P_CMD_READ | p.cell);
    EXPECT_EQ(bench.chip().Read(E2P_DATA), 0x5Au) << p.size;
    bench.Run(E2P_CMD_READ | (p.cell ^ 0x100) % 0x200);
    EXPECT_EQ(bench.chip().Read(E2P_DATA), p.size == 512 ? 0x00u : 0x5Au) << p.size << ": 0x100 apart";
  }
}

TEST(EepromUnit, BusyBitHeldForEachCommandsTime) {
  Bench bench;
  EXPECT_EQ(bench.Run(E2P_CMD_EWEN), EepromUnit::kControlUs);
  EXPECT_EQ(bench.Run(E2P_CMD_READ | 4), EepromUnit::kReadUs);
  EXPECT_EQ(bench.Run(E2P_CMD_WRITE | 4, 1), EepromUnit::kWriteUs);
  EXPECT_EQ(bench.Run(E2P_CMD_ERAL), EepromUnit::kEraseAllUs);
  EXPECT_EQ(bench.chip().Read(E2P_CMD), E2P_CMD_ERAL & ~E2P_CMD_BUSY) << "the last command, done";

  // A command while busy is not taken.
  bench.chip().Write(E2P_DATA, 0x11);
  bench.chip().Write(E2P_CMD, E2P_CMD_WRITE | 8);
  bench.chip().Write(E2P_CMD, E2P_CMD_READ | 9);
  EXPECT_EQ(bench.chip().Read(E2P_CMD), E2P_CMD_WRITE | 8);
}

TEST(EepromUnit, WriteAndEraseOnlyWhileEnabled) {
  Bench bench(Filled(256, 0x00));
  auto& part = bench.adapter.eeprom();
  EXPECT_EQ(bench.Run(E2P_CMD_WRITE | 1, 0x77), EepromUnit::kControlUs) << "no programming cycle";
  bench.Run(E2P_CMD_ERAL);
  EXPECT_EQ(part.Copy(), Filled(256, 0x00)) << "writes start disabled";

  bench.Run(E2P_CMD_EWEN);
  bench.Run(E2P_CMD_WRITE | 1, 0x77);
  EXPECT_EQ(part[1], 0x77);
  bench.Run(E2P_CMD_EWDS);
  bench.Run(E2P_CMD_WRITE | 2, 0x77);
  EXPECT_EQ(part[2], 0x00);

  bench.Run(E2P_CMD_EWEN);
  bench.adapter.Unplug();
  bench.adapter.Plug();
  EXPECT_FALSE(bench.unit().writesEnabled()) << "power-up disables writes";
  bench.Run(E2P_CMD_EWEN);
  bench.Run(E2P_CMD_ERAL);
  EXPECT_EQ(part.Copy(), Filled(256, 0xFF));
}

TEST(EepromUnit, Faults) {
  Bench bench(Filled(128, 0x00));
  bench.unit().deadCells = {5};
  bench.Run(E2P_CMD_EWEN);
  EXPECT_EQ(bench.Run(E2P_CMD_WRITE | 5, 0x99), EepromUnit::kWriteUs) << "completes as usual";
  bench.Run(E2P_CMD_ERAL);
  EXPECT_EQ(bench.adapter.eeprom()[5], 0x00) << "neither programmed nor erased";
  EXPECT_EQ(bench.adapter.eeprom()[6], 0xFF);

  bench.unit().hangAfterCommands = 1;
  bench.Run(E2P_CMD_READ | 1);
  bench.Run(E2P_CMD_READ | 2);
  bench.clock.AdvanceUs(10000000);
  EXPECT_EQ(bench.chip().Read(E2P_CMD), E2P_CMD_READ | 2) << "hung on the second command";

  bench.adapter.Unplug();
  bench.adapter.Plug();
  EXPECT_FALSE(bench.Busy()) << "power-up ends the hang";
  bench.unit().stuckBusy = true;
  bench.chip().Write(E2P_CMD, E2P_CMD_READ | 3);
  EXPECT_EQ(bench.chip().Read(E2P_CMD), E2P_CMD_BUSY) << "busy and no command taken";
}

// Register bits preset from CFG0 (flag, register, bit).
struct Cfg0Expectation {
  uint32_t flag;
  uint32_t reg;
  uint32_t bit;
};
constexpr Cfg0Expectation kCfg0Bits[] = {
    {0, USB_CFG, 1},   {1, USB_CFG, 3},     {2, USB_CFG, 4},   {3, USB_CFG, 2},  {4, USB_CFG, 5},
    {5, USB_CFG, 6},   {6, EXT_RST_CFG, 0}, {7, HW_CFG, 5},    {8, LED_CFG0, 0}, {9, LED_CFG0, 2},
    {10, LED_CFG0, 3}, {11, HW_CFG, 6},     {12, USB_CFG, 13}, {13, CPM_CTL, 1},
};

TEST(EepromUnit, SignedImagePresetsItsRegistersAtPowerUpAndDeviceReset) {
  for (uint32_t cfg0 : {0x2A55u, 0x15AAu}) {
    EepromImageFields fields;
    fields.cfg0 = cfg0;
    fields.cfg1 = fields.cfg2 = fields.cfg3 = 0xFFFFFFFF;
    fields.gpio = {0xFFFFFFFF, 0x80000001, 0x12345678, 0x7FFFFFFF};
    std::vector<uint8_t> image;
    std::string error;
    ASSERT_TRUE(BuildEepromImage(fields, 512, &image, &error)) << error;

    // Power-up with an erased part, then the image goes in and a device reset loads it.
    Bench bench(Filled(512, 0xFF));
    EXPECT_EQ(bench.chip().Read(USB_CFG), 0u);
    EXPECT_EQ(bench.chip().Read(CPM_CTL), 1u);
    bench.adapter.eeprom().Assign(image);
    bench.HostWrite(HW_CFG, HW_CFG_DEVICE_RESET);
    for (const auto& e : kCfg0Bits) {
      const uint32_t expected = (cfg0 >> e.flag) & 1;
      EXPECT_EQ((bench.chip().Read(static_cast<uint16_t>(e.reg)) >> e.bit) & 1, expected)
          << std::hex << "CFG0 0x" << cfg0 << " bit " << std::dec << e.flag;
    }
    EXPECT_EQ(bench.chip().Read(CPM_CTL) & 1, 1u) << "bits without a preset keep their reset value";
    EXPECT_EQ(bench.chip().Read(USB_PHY_PARAMS0), 0x3F3F7F7Fu);
    EXPECT_EQ(bench.chip().Read(USB_PHY_PARAMS1), 0x1F1Fu);
    EXPECT_EQ(bench.chip().Read(USB_PHY_MPLL_CTL), 0x7u);
    EXPECT_EQ(bench.chip().Read(GPIO_ENABLE), 0x7FFFFFFFu);
    EXPECT_EQ(bench.chip().Read(GPIO_BUF), 0x00000001u);
    EXPECT_EQ(bench.chip().Read(GPIO_DIR), 0x12345678u);
    EXPECT_EQ(bench.chip().Read(GPIO_DATA), 0x7FFFFFFFu);
    EXPECT_TRUE(bench.adapter.descriptors().FromImage());

    // The same image at power-up.
    Bench fresh(image);
    EXPECT_EQ(fresh.chip().Read(USB_PHY_PARAMS0), 0x3F3F7F7Fu);
    EXPECT_EQ(fresh.chip().Read(USB_CFG), bench.chip().Read(USB_CFG));
    EXPECT_EQ(fresh.chip().Read(HW_CFG), bench.chip().Read(HW_CFG));
  }
}

TEST(EepromUnit, ErasedPartGivesBuiltInDescriptorsAndNoPresets) {
  testing::SimRig rig(ChipVariant::SiliconRev1(), 0);
  EepromImageFields fields;
  fields.cfg0 = 0x3FFF;
  fields.cfg1 = 0x01010101;
  SimAdapter::Options options;
  std::string error;
  ASSERT_TRUE(BuildEepromImage(fields, 512, &options.eeprom, &error)) << error;
  SimAdapter& adapter = rig.AddAdapter(std::move(options));
  ASSERT_TRUE(adapter.descriptors().String(3).has_value());
  EXPECT_NE(adapter.chip().Read(USB_CFG), 0u);

  UsbDevice* dev = rig.Open();
  ASSERT_TRUE(GfxEepromErWrEn(dev));
  ASSERT_TRUE(GfxEepromEraseAll(dev));
  ASSERT_TRUE(GfxEepromErWrDis(dev));
  EXPECT_EQ(adapter.eeprom().Copy(), Filled(512, 0xFF));
  GfxSetRegDW(dev, HW_CFG, HW_CFG_DEVICE_RESET);

  EXPECT_FALSE(adapter.descriptors().FromImage());
  EXPECT_FALSE(adapter.descriptors().String(0).has_value()) << "no strings";
  EXPECT_EQ(adapter.descriptors().VendorId(), UsbDescriptors::BuiltIn().VendorId());
  EXPECT_EQ(adapter.chip().Read(USB_CFG), 0u);
  EXPECT_EQ(adapter.chip().Read(USB_PHY_PARAMS0), 0u);
  EXPECT_EQ(adapter.chip().Read(CPM_CTL), 1u);
  EXPECT_EQ(rig.Diag(), "");
}

}  // namespace
}  // namespace zev::sim
