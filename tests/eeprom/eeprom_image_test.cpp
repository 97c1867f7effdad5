#include "device/eeprom/eeprom_image.h"

#include <gtest/gtest.h>

#include <functional>

#include "device/eeprom/eeprom_image_builder.h"

namespace zev {
namespace {

namespace layout = eeprom_layout;

std::vector<uint8_t> Build(const EepromImageFields& fields, uint32_t partSize) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(BuildEepromImage(fields, partSize, &bytes, &error)) << error;
  return bytes;
}

// Byte offset of the descriptor a locator points to.
uint32_t Target(const std::vector<uint8_t>& bytes, uint32_t locator) { return 2u * bytes[locator + 1]; }

TEST(EepromImageBuilder, DescriptorsAreFoundThroughTheirLocators) {
  const std::vector<uint8_t> bytes = Build(ProductionImageFields("ZEV123456"), 512);
  const EepromImage image(bytes);
  EXPECT_TRUE(image.HasSignature());
  std::span<const uint8_t> d;
  std::string error;
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
    EXPECT_EQ(Target(bytes, e.locator) % 2, 0u) << "even offsets";
  }
  EXPECT_TRUE(CheckEepromImage(bytes, 512, &error)) << error;
}

TEST(EepromImageBuilder, ProductionImageAnnouncesLinkPowerManagement) {
  const std::vector<uint8_t> bytes = Build(ProductionImageFields("ZEV123456"), 512);
  const EepromImage image(bytes);
  std::string error;
  EepromHeader header;
  ASSERT_TRUE(image.ReadHeader(&header, &error)) << error;
  EXPECT_NE(header.cfg0 & CFG0_LPM, 0u);
  EXPECT_EQ(header.langId, 0x0409);
  std::span<const uint8_t> d;
  ASSERT_TRUE(image.DeviceDescriptor(EepromSpeed::High, &d, &error)) << error;
  EXPECT_EQ(d[2] | d[3] << 8, 0x0210);
  ASSERT_TRUE(image.DeviceDescriptor(EepromSpeed::Super, &d, &error)) << error;
  EXPECT_EQ(d[2] | d[3] << 8, 0x0320);
  ASSERT_TRUE(image.Bos(&d, &error)) << error;
  ASSERT_EQ(d.size(), 12u);
  EXPECT_EQ(d[5 + 2], 0x02) << "USB 2.0 extension capability";
  EXPECT_EQ(d[5 + 3], 0x02) << "LPM bit";
  std::u16string serial;
  ASSERT_TRUE(image.SerialNumber(&serial, &error)) << error;
  EXPECT_EQ(serial, u"ZEV123456");
}

TEST(EepromImageBuilder, TestImageFitsTheSmallerPartsItCan) {
  std::string error;
  const std::vector<uint8_t> bytes = Build(TestImageFields(), 256);
  EXPECT_TRUE(CheckEepromImage(bytes, 256, &error)) << error;
  const EepromImage image(bytes);
  std::span<const uint8_t> bos;
  ASSERT_TRUE(image.Bos(&bos, &error));
  EXPECT_TRUE(bos.empty()) << "no LPM, no BOS";
  EXPECT_EQ(bytes[layout::kFsDeviceLocator + 1], bytes[layout::kHsDeviceLocator + 1])
      << "identical device descriptors are stored once";
  for (uint32_t n = 1; n <= 5; ++n) {
    std::u16string text;
    EXPECT_TRUE(image.StringText(n, &text, &error)) << n << ": " << error;
  }
  std::vector<uint8_t> small;
  EXPECT_FALSE(BuildEepromImage(TestImageFields(), 128, &small, &error));
  EXPECT_NE(error.find("do not fit a 128-byte part"), std::string::npos) << error;
  EXPECT_FALSE(BuildEepromImage(TestImageFields(), 300, &small, &error));
  EXPECT_TRUE(small.empty());
}

TEST(EepromImage, SerialNumberAtItsLocatorIsReadAndReplacedInPlace) {
  EepromImageFields fields;
  fields.product = "ZEV Display Adapter (Bench)";  // places the serial number at 0xE4
  fields.serialNumber = "ZEV000001";
  std::vector<uint8_t> bytes = Build(fields, 512);
  ASSERT_EQ(bytes[0x36], 0x14);
  ASSERT_EQ(bytes[0x37], 0x72);

  std::string error;
  std::span<const uint8_t> d;
  ASSERT_TRUE(EepromImage(bytes).StringDescriptor(3, &d, &error)) << error;
  EXPECT_EQ(d.data() - bytes.data(), 0xE4);
  EXPECT_EQ(d.size(), 20u);
  std::u16string serial;
  ASSERT_TRUE(EepromImage(bytes).SerialNumber(&serial, &error)) << error;
  EXPECT_EQ(serial, u"ZEV000001");
  EXPECT_EQ(serial.size(), 9u);

  std::vector<uint8_t> expected = bytes;
  expected[0xE4 + 2 + 2 * 8] = '2';
  ASSERT_TRUE(ReplaceSerialNumber(bytes, u"ZEV000002", &error)) << error;
  EXPECT_EQ(bytes, expected) << "only the last character changed";

  EXPECT_FALSE(ReplaceSerialNumber(bytes, u"ZEV02", &error));
  EXPECT_EQ(error, "the serial number holds 9 characters, the new one has 5");
  EXPECT_EQ(bytes, expected) << "untouched on failure";
}

TEST(EepromImage, BadImagesGetAClearError) {
  const std::vector<uint8_t> test = Build(TestImageFields(), 512);
  const std::vector<uint8_t> production = Build(ProductionImageFields("ZEV000777"), 512);
  using Edit = std::function<void(std::vector<uint8_t>&)>;
  auto at = [](uint32_t locator, uint32_t offset) {
    return [=](std::vector<uint8_t>& b) -> uint8_t& { return b[2u * b[locator + 1] + offset]; };
  };
  const struct {
    const char* what;
    const std::vector<uint8_t>& base;
    uint32_t partSize;
    Edit edit;
    const char* error;
  } cases[] = {
      {"empty", test, 512, [](auto& b) { b.clear(); }, "the image is empty"},
      {"shorter than the header", test, 512, [](auto& b) { b.resize(40); },
       "the image holds 40 bytes, less than the 74-byte fixed header"},
      {"longer than the part", test, 512, [](auto& b) { b.push_back(0xFF); },
       "the image holds 513 bytes, more than the 512-byte EEPROM"},
      {"meant for a larger part", test, 256, [](auto&) {}, "the image holds 512 bytes, more than the 256-byte EEPROM"},
      {"no such part", test, 1024, [](auto&) {}, "EEPROM parts hold 128, 256 or 512 bytes, not 1024"},
      {"locator past the end", test, 512,
       [](auto& b) {
         b[0x46] = 18;
         b[0x47] = 0xFF;
       },
       "full-speed device locator (0x46) points to 0x1FE..0x20F, past the 512-byte image"},
      {"locator into the header", test, 512, [](auto& b) { b[0x49] = 0x10; },
       "full-speed configuration locator (0x48) points to 0x020, inside the fixed header"},
      {"missing descriptor", test, 512, [](auto& b) { b[0x48] = 0; },
       "full-speed configuration locator (0x48) is empty"},
      {"wrong descriptor type", test, 512, [&](auto& b) { at(0x3E, 1)(b) = 0x02; },
       "SuperSpeed device locator (0x3E): expected descriptor type 0x01, found 0x02"},
      {"device descriptor length", test, 512, [](auto& b) { b[0x3E] = 17; },
       "SuperSpeed device locator (0x3E): a device descriptor has 18 bytes, the locator says 17 and bLength 18"},
      {"wTotalLength", test, 512, [&](auto& b) { at(0x40, 2)(b) = 30; },
       "SuperSpeed configuration locator (0x40): wTotalLength 30, expected 44"},
      {"configuration without interface", test, 512, [&](auto& b) { at(0x48, 10)(b) = 0x05; },
       "full-speed configuration locator (0x48): not a configuration descriptor followed by an interface descriptor"},
      {"companions", test, 512, [&](auto& b) { at(0x40, 25)(b) = 0x05; },
       "SuperSpeed configuration locator (0x40): the two SuperSpeed endpoint companions are missing"},
      {"string bLength", test, 512, [&](auto& b) { at(0x36, 0)(b) = 18; },
       "serial-number string locator (0x36): length 20 and bLength 18 disagree or are odd"},
      {"odd string", test, 512,
       [&](auto& b) {
         b[0x38] = 15;
         at(0x38, 0)(b) = 15;
       },
       "configuration string locator (0x38): length 15 and bLength 15 disagree or are odd"},
      {"BOS length", production, 512, [](auto& b) { b[0x3C] = 11; },
       "BOS locator (0x3C): BOS header and wTotalLength disagree with the locator length 11"},
      {"BOS capability", production, 512, [&](auto& b) { at(0x3C, 5)(b) = 0; },
       "BOS locator (0x3C): malformed device capability at byte 5"},
      {"LPM without BOS", production, 512, [](auto& b) { b[0x3C] = 0; },
       "CFG0 announces link power management but the image has no BOS descriptor"},
      {"shared serial number", test, 512,
       [](auto& b) {
         b[0x36] = b[0x32];
         b[0x37] = b[0x33];
       },
       "serial-number string locator (0x36) shares bytes with the manufacturer string locator (0x32)"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = c.base;
    c.edit(bytes);
    std::string error;
    EXPECT_FALSE(CheckEepromImage(bytes, c.partSize, &error)) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
  }
}

TEST(EepromImage, ImagesTheChipIgnoresAreNoLayoutError) {
  std::string error;
  const std::vector<uint8_t> erased(256, 0xFF);
  EXPECT_TRUE(CheckEepromImage(erased, 256, &error)) << error;
  EXPECT_FALSE(EepromImage(erased).HasSignature());
  std::u16string serial;
  EXPECT_FALSE(EepromImage(erased).SerialNumber(&serial, &error)) << "no serial number in an erased part";
  // A string the image does not hold is allowed, but has no text.
  std::vector<uint8_t> bytes = Build(TestImageFields(), 512);
  bytes[layout::StringLocator(4)] = 0;
  EXPECT_TRUE(CheckEepromImage(bytes, 512, &error)) << error;
  EXPECT_FALSE(EepromImage(bytes).StringText(4, &serial, &error));
  EXPECT_EQ(error, "configuration string locator (0x38) is empty");
}

TEST(EepromImage, AccessorsNeverReachOutsideTheImage) {
  std::vector<uint8_t> bytes(0x4A, 0);
  bytes[0] = kEepromSignature;
  bytes[0x36] = 0x14;
  bytes[0x37] = 0x72;  // a serial number at 0xE4, beyond this short image
  const EepromImage image(bytes);
  std::span<const uint8_t> d;
  std::string error;
  EXPECT_FALSE(image.Locate(0x36, &d, &error));
  EXPECT_EQ(error, "serial-number string locator (0x36) points to 0x0E4..0x0F7, past the 74-byte image");
  EXPECT_FALSE(image.Locate(0x4A, &d, &error)) << "locator itself outside";
  EXPECT_EQ(error, "locator (0x4A) lies outside the 74-byte image");
  uint32_t v;
  EXPECT_FALSE(image.ReadU32(0x48, &v));
  EXPECT_FALSE(image.ReadU16(0xFFFFFFFF, nullptr));
  EXPECT_FALSE(image.StringDescriptor(6, &d, &error));
  EXPECT_FALSE(image.StringDescriptor(0, &d, &error));
  const EepromImage shortImage(std::span<const uint8_t>(bytes).first(0x30));
  EepromHeader header;
  EXPECT_FALSE(shortImage.ReadHeader(&header, &error));
  EXPECT_FALSE(shortImage.CheckLayout(&error));
  EXPECT_FALSE(EepromImage({}).HasSignature());
}

}  // namespace
}  // namespace zev
