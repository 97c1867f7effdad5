// The built libzevutil.so, loaded at run time and bound by name, against virtual
// adapters through libusb and zev-sim: the lifecycle exports, the EEPROM exports with
// the identity the adapter presents after a device reset, and the memory exports.
// Each case runs a zev-e2e-lib script under its own zev-sim and compares the transcript.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "device/eeprom/eeprom_image_builder.h"
#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

// zev-e2e-probe resets the adapter (HW_CFG bit 1) and lists what libusb then sees.
const std::string kResetAndList =
    "probe hotplug-watch; open; write 0x3008 0x2; hotplug-wait left arrived; descriptors";

// A 256-byte image announcing an identity of its own, in a file for the client.
std::string WriteReprogrammedImage() {
  EepromImageFields fields;
  fields.vendorId = 0xF055;
  fields.productId = 0x0E2E;
  fields.manufacturer = "Bench Lab";
  fields.product = "ZEV E2E Adapter";
  fields.serialNumber = "E2E000042";
  std::vector<uint8_t> image;
  std::string error;
  if (!BuildEepromImage(fields, 256, &image, &error)) ADD_FAILURE() << error;
  const std::string path = ProcessTempPath("reprogrammed_eeprom.bin");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  return path;
}

std::vector<Scenario> Scenarios() {
  const std::string image = WriteReprogrammedImage();
  return {
      {"InitOpensTheOneAdapterAndDeInitTwiceIsHarmless",
       {"--adapters", "1"},
       {"init", "deinit", "deinit"},
       {"init: 0", "deinit: 0", "deinit: 0"}},

      // Two adapters are refused; with one of them gone the other opens.
      {"InitRefusesTwoAdapters",
       {"--adapters", "2"},
       {"init", "deinit", "ctl unplug 2", "init"},
       {"init: -32766", "deinit: 0", "ctl unplug 2 -> ok unplugged 2", "init: 0"}},

      // Argument checks come before the device is looked for.
      {"WithoutAnAdapterInitFailsAndExportsReportTheLink",
       {"--adapters", "0"},
       {"init", "dram-read 0 8 null", "dram-read 0 8", "eeprom-size", "deinit"},
       {"init: -32765", "dram-read 0 8 null: -32760", "dram-read 0 8: -32762", "eeprom-size: -32762, 0",
        "deinit: 0"}},

      // The stale connection fails its probe; the export re-opens the adapter, which
      // powered up afresh (its DRAM content is gone).
      {"ReplugIsReopenedTransparentlyByTheNextProbingExport",
       {"--adapters", "1"},
       {"init", "dram-write 0 0 55aa55aa01020304", "ctl unplug", "ctl plug", "dram-read 0 8"},
       {"init: 0", "dram-write 0 0 55aa55aa01020304: 0", "ctl unplug -> ok unplugged 1", "ctl plug -> ok plugged 1",
        "dram-read 0 8: 0 0000000000000000"}},

      // The new image is written and read back; after a device reset the adapter
      // presents its identity and strings, and the library finds it under its new ID.
      // Erased, it presents the chip's built-in identity without strings.
      {"EepromImageIsPresentedAfterADeviceResetAndAnErasedPartPresentsTheDefaults",
       {"--eeprom-size", "256"},
       {"init", "eeprom-size", "eeprom-write 0 " + image, "eeprom-read 0 256 " + image, "deinit", kResetAndList,
        "init", "eeprom-erase", "deinit", kResetAndList, "init", "eeprom-read 0 8"},
       {"init: 0", "eeprom-size: 0, 256", "eeprom-write 256 bytes at 0: 0", "eeprom-read 0 256: 0, as in the file",
        "deinit: 0", "probe: hotplug-watch: ok", "probe: open: ok", "probe: write 0x3008 0x2: ok",
        "probe: hotplug: left 1209:0002 at 1-1, arrived f055:0e2e at 1-1",
        "probe: descriptors: 1-1 f055:0e2e manufacturer \"Bench Lab\", product \"ZEV E2E Adapter\", serial "
        "\"E2E000042\"",
        "init: 0", "eeprom-erase: 0", "deinit: 0", "probe: hotplug-watch: ok", "probe: open: ok",
        "probe: write 0x3008 0x2: ok", "probe: hotplug: left f055:0e2e at 1-1, arrived 1209:0001 at 1-1",
        "probe: descriptors: 1-1 1209:0001 manufacturer none, product none, serial none", "init: 0",
        "eeprom-read 0 8: 0 ffffffffffffffff"},
       {"ZEV_USB_IDS=f055:0e2e"}},

      // Refused at the ODT index of a fresh load; run after ZEVSetODTnFrequency(4, 3);
      // a data bit stuck low is found (the address-line test before it passes, since
      // none of its words has bit 26 set).
      {"DataLineTestPassesAndFindsAStuckDataBit",
       {"--adapters", "1"},
       {"init", "data-lines", "set-odt 4 3", "get-odt", "data-lines", "ctl dram stuck-data 26 0", "data-lines"},
       {"init: 0", "data-lines: status -32753, dataLine unset, addressLine unset, address unset", "set-odt 4 3: 0",
        "get-odt: 0, Freq 4, ODT 3", "data-lines: status 3, dataLine unset, addressLine unset, address unset",
        "ctl dram stuck-data 26 0 -> ok adapter 1: data bit 26 stuck at 0",
        "data-lines: status -32758, dataLine 26, addressLine unset, address unset"}},

      // Bulk (mode 0) and word by word (mode 1); data at an offset that is not a
      // multiple of 8 is found at the same offset.
      {"DramBytesRoundTrip",
       {"--adapters", "1"},
       {"init", "dram-write 0x100 0 0123456789abcdef0011", "dram-read 0x100 10", "dram-write 0x203 1 a1b2c3",
        "dram-read 0x203 3"},
       {"init: 0", "dram-write 0x100 0 0123456789abcdef0011: 0", "dram-read 0x100 10: 0 0123456789abcdef0011",
        "dram-write 0x203 1 a1b2c3: 0", "dram-read 0x203 3: 0 a1b2c3"}},
  };
}

class ZevutilLibrary : public ::testing::TestWithParam<Scenario> {};

TEST_P(ZevutilLibrary, Transcript) {
  const Scenario& scenario = GetParam();
  const ProcessResult result = RunLibClient(scenario.options, scenario.steps, scenario.environment);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out), ::testing::ElementsAreArray(scenario.transcript)) << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevutilLibrary, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace zev::e2e
