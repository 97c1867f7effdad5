#include "device/eeprom/eeprom_image.h"

#include <gtest/gtest.h>

#include "device/eeprom/eeprom_image_builder.h"

namespace zev {
namespace {

namespace layout = eeprom_layout;

TEST(EepromImageBuilder, DescriptorsAreFoundThroughTheirLocators) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(BuildEepromImage(ProductionImageSpec("ZEV123456"), 512, &bytes, &error)) << error;
  const EepromImage image(bytes);
  EXPECT_TRUE(image.HasSignature());
  std::span<const uint8_t> d;
  const struct {
    uint32_t locator;
    uint8_t type;
    size_t length;
  } expected[] = {{layout::kFsDeviceLocator, 1, 18}, {layout::kHsDeviceLocator, 1, 18},
                  {layout::kSsDeviceLocator, 1, 18}, {layout::kFsConfigLocator, 2, 18},
                  {layout::kHsConfigLocator, 2, 18}, {layout::kSsConfigLocator, 2, 30},
                  {layout::kBosLocator, 0x0F, 12},   {layout::StringLocator(3), 3, 20}};
  for (const auto& e : expected) {
    ASSERT_TRUE(image.Locate(e.locator, &d, &error)) << error;
    EXPECT_EQ(d.size(), e.length);
    EXPECT_EQ(d[1], e.type);
    EXPECT_EQ(bytes[e.locator + 1] * 2u, static_cast<uint32_t>(d.data() - bytes.data())) << "even offsets";
  }
  uint16_t lang = 0;
  ASSERT_TRUE(image.ReadU16(layout::kLangId, &lang));
  EXPECT_EQ(lang, 0x0409);
}

TEST(EepromImageBuilder, RefusesWhatDoesNotFit) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(BuildEepromImage(EepromImageSpec{}, 128, &bytes, &error));
  EXPECT_NE(error.find("128-byte"), std::string::npos);
  EXPECT_FALSE(BuildEepromImage(EepromImageSpec{}, 300, &bytes, &error));
}

TEST(EepromImage, LocatorsNeverReachOutsideTheImage) {
  std::vector<uint8_t> bytes(0x4A, 0);
  bytes[0x36] = 0x14;
  bytes[0x37] = 0x72;  // a serial number at 0xE4, beyond this short image
  const EepromImage image(bytes);
  std::span<const uint8_t> d;
  std::string error;
  EXPECT_FALSE(image.Locate(0x36, &d, &error));
  EXPECT_NE(error.find("past the 74-byte image"), std::string::npos) << error;
  EXPECT_FALSE(image.Locate(0x48, &d, &error)) << "empty locator";
  EXPECT_FALSE(image.Locate(0x4A, &d, &error)) << "locator itself outside";
  uint32_t v;
  EXPECT_FALSE(image.ReadU32(0x48, &v));
  EXPECT_FALSE(EepromImage({}).HasSignature());
}

}  // namespace
}  // namespace zev
