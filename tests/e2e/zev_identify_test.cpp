// zev-identify, unmodified, finds and identifies the virtual adapter through libusb.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::IsSupersetOf;

struct Identity {
  std::string name;
  std::vector<std::string> options;
  std::vector<std::string> lines;  // lines the output must contain
};

// Test names say enough; gtest would otherwise dump the bytes.
void PrintTo(const Identity& value, std::ostream* out) { *out << value.name; }


const Identity kIdentities[] = {
    {"SiliconRev1AtHighSpeed",
     {"--adapters", "1"},
     {"Adapters found: 1", "Path:            usb:1-1", "Bus speed:       high speed",
      "Pipes:           bulk OUT 0x01, bulk IN 0x00, interrupt 0x81", "ID_REV:          0x9D000001",
      "Device ID:       0x9D00", "Revision:        0x0001", "FPGA_REV:        0x00000000 (0)",
      "Chip:            silicon", "IsSiliconRevA0:  no", "HasHdmiAssist:   yes", "I2C assist mode: 2 (new assist)"}},
    {"SiliconA0AtFullSpeed",
     {"--variant", "a0", "--speed", "full"},
     {"Adapters found: 1", "Bus speed:       full speed", "ID_REV:          0x9D000000", "IsSiliconRevA0:  yes",
      "HasHdmiAssist:   no", "I2C assist mode: 1 (old assist)"}},
    {"FpgaBuildAtSuperSpeed",
     {"--variant=fpga130", "--speed=super"},
     {"Adapters found: 1", "Bus speed:       high speed", "FPGA_REV:        0x00000082 (130)",
      "Chip:            FPGA prototype", "HasHdmiAssist:   yes"}},
};

class ZevIdentify : public ::testing::TestWithParam<Identity> {};

TEST_P(ZevIdentify, PrintsTheAdaptersIdentity) {
  const Identity& identity = GetParam();
  const ProcessResult result = RunZevSim(identity.options, {ZEV_IDENTIFY_BIN});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out), IsSupersetOf(identity.lines)) << result.out << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevIdentify, ::testing::ValuesIn(kIdentities),
                         [](const ::testing::TestParamInfo<Identity>& info) { return info.param.name; });

TEST(ZevIdentifyUnderZevSim, RefusesTwoAdapters) {
  const ProcessResult result = RunZevSim({"--adapters", "2"}, {ZEV_IDENTIFY_BIN});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.out, HasSubstr("Adapters found: 2"));
  EXPECT_THAT(result.err, HasSubstr("2 adapters attached; attach exactly one"));
}

// An erased EEPROM makes the chip present its built-in identity, which the library
// still finds.
TEST(ZevIdentifyUnderZevSim, FindsAnAdapterWithErasedEeprom) {
  const std::string image = ProcessTempPath("erased_eeprom.bin");
  std::ofstream(image, std::ios::binary) << std::string(256, '\xFF');
  const ProcessResult result = RunZevSim({"--eeprom", image, "--eeprom-size", "256"},
                                         {"sh", "-c", std::string(ZEV_IDENTIFY_BIN) + " && " + ZEV_SIM_BIN + " ctl status"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("Adapters found: 1"));
  EXPECT_THAT(result.out, HasSubstr("id=1209:0001"));
}

TEST(ZevIdentifyUnderZevSim, TraceFileRecordsTheTransfers) {
  const std::string tracePath = ProcessTempPath("zev_identify_trace.txt");
  const ProcessResult result = RunZevSim({"--trace", tracePath}, {ZEV_IDENTIFY_BIN});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::ifstream file(tracePath);
  std::stringstream trace;
  trace << file.rdbuf();
  // The open's probe and the two identity reads, led by the adapter's number.
  EXPECT_THAT(Lines(trace.str()), IsSupersetOf({"[1] R 3000 = 9D000001", "[1] R 3004 = 00000000"}));
}

}  // namespace
}  // namespace zev::e2e
