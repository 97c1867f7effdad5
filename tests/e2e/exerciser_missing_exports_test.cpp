// The console exerciser against libraries that lack exports: nothing missing is
// called, and each menu says what it could not find.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/exerciser_dialogue.h"

namespace zev::e2e {
namespace {

using namespace dialogue;

ProcessResult RunWithLibrary(const std::string& library, const std::string& input) {
  return RunProcessWithInput({ZEVLIBDNTEST_BIN, "--library", library}, input, kRunTimeout);
}

std::string Main(const std::string& then) { return MainMenu() + kAfterMainChoice + then; }

TEST(ExerciserMissingExports, EachMenuReportsWhatItCannotBind) {
  // EEPROM 1..4; DRAM 1, 2, 4, 7; image; HDMI 1, 2, 4, 5; reset.
  const ProcessResult result =
      RunWithLibrary(FAKE_PARTIAL_LIBRARY, "1\n1\n2\n3\n4\n5\n2\n1\n2\n4\n7\n9\n3\n4\n1\n2\n4\n5\n3\n5\n1\n6\n");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto missing = [](const std::string& name) { return "Failed to get address of function " + name + " \n"; };
  const std::string eeprom = EepromMenu();
  const std::string dram = DramMenu();
  const std::string hdmi = HdmiMenu() + "\n";
  EXPECT_EQ(
      result.out,
      Note() +
          Main(EepromHeader() + eeprom + missing("ZEVCalcEepromSize") + eeprom + missing("ZEVLibWriteEEprom") + eeprom +
               missing("ZEVLibReadEeprom") + eeprom + missing("ZEVLibEraseEeprom") + eeprom) +
          Main(DramHeader() + dram + missing("ZEVGetMemSize") + dram + missing("ZEVSetODTnFrequency") +
               missing("ZEVDRAMWrite") + dram + missing("ZEVMemoryDataLinesTest") + dram +
               missing("ZEVGetODTnFrequency") + dram) +
          Main(ImageInitLine() + "--------------Library and Voskar Hardware init success------------ \n\n" +
               "Failed to get address of function ZEVPreferedResolution or ZEVInitGE \n") +
          // The mute pair is there: 4 succeeds silently, 5 reports its failure code.
          Main(HdmiHeader() + hdmi + HdmiEnableDefaults() + missing("ZEVHdmiPhyEnable") + hdmi + missing("ZEVHdmiPhyDisable") +
               hdmi + hdmi + "ZEV_HDWRE_INIT_FAIL \n" + HdmiMenu()) +
          "\n" + Main(ResetPrompt() + missing("ZEVResetDevice")) + Main(""));
}

TEST(ExerciserMissingExports, LibraryWithoutItsLifecycleIsNotUsed) {
  const ProcessResult result = RunWithLibrary(FAKE_NO_LIFECYCLE_LIBRARY, "2\n3\n6\n");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::string unbound = "Failed to get address of function pZEVLibInit or pZEVLibDeInit \n";
  EXPECT_EQ(result.out, Note() + Main(unbound) + Main(unbound) + Main(""));
}

}  // namespace
}  // namespace zev::e2e
