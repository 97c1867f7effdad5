// ZEVLibDnTest, the console exerciser, run under zev-sim with scripted input: each case
// compares the whole dialogue (the library's bring-up announcements marked in place).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/exerciser_dialogue.h"
#include "tests/e2e/exerciser_support.h"

namespace zev::e2e {
namespace {

using namespace dialogue;
using ::testing::HasSubstr;
using ::testing::Not;

struct Dialogue {
  std::string name;
  std::vector<std::string> simOptions;
  std::string input;
  std::string expected;  // after the note printed at start
};

void PrintTo(const Dialogue& value, std::ostream* out) { *out << value.name; }

const std::string kEepromSample = "RAWDATA:12345678900123456";
const std::string kDramSample = "RAWDATA:1234567890ABCDEFGHIJKLMNOPQ";

// The main menu, the choice's line feed, and what follows it.
std::string Main(const std::string& then) { return MainMenu() + kAfterMainChoice + then; }

std::string OdtAndFrequency(int odt, int frequency) {
  return "Testing ZEVGetODTnFrequency API, Retruned values:\nstMemoryParamsObj.ODT = " + std::to_string(odt) +
         "\nstMemoryParamsObj.Freq = " + std::to_string(frequency) + " \n\n";
}

const std::string kDataLinesPassed = "Testing ZEVMemoryDataLinesTest API, Data Line test passed \n\n";
const std::string kDataLinesFailed = "Testing ZEVMemoryDataLinesTest API, Data Line test failed \n\n";
const std::string kAddressLinesPassed = "Testing ZEVMemoryAddressLinesTest API, Address Line test passed \n\n";
const std::string kAddressLinesFailed = "Testing ZEVMemoryAddressLinesTest API, Address Line test failed \n\n";
const std::string kSettingsSet = " Successfully set frequency and ODT Value \n\n";
const std::string kHdmiInit = "\n\n-----------------------Init HDMI------------------------------------\n";
const std::string kMuteMissing = "ZEVHdmiMute is not available in zevutil.dll \n";
const std::string kUnMuteMissing = "ZEVHdmiUnMute is not available in zevutil.dll \n";
const std::string kPreferredFailed = "Failed to get prefered resolution \n";
// A 1680 x 1050 monitor at 59.95 Hz (HP LP2275w).
const std::string kMonitor1680 = std::string(ZEV_DATA_DIR) + "/edid/hp-lp2275w-dp.bin";

// The HDMI menu, the choice's line feed, and what follows it.
std::string Hdmi(const std::string& then) { return HdmiMenu() + "\n" + then; }

std::vector<Dialogue> Dialogues() {
  return {
      {"EepromMenuSizesWritesReadsAndErases",
       {},
       "1\n1\n2\n3\n4\n3\n5\n6\n",
       Main(BringUp() + EepromHeader() + EepromMenu() + "EEPROM Size = 512 \n" + EepromMenu() +
            "String written to EEPROM = '" + kEepromSample + "' \n" + EepromMenu() + "String read from EEPROM = '" +
            kEepromSample + "' \n" + EepromMenu() + "Erase EEPROM success \n" + EepromMenu() +
            "String read from EEPROM = '" + std::string(25, '\xFF') + "' \n" + EepromMenu()) +
           Main("")},

      {"EepromMenuMeasuresASmallerPart",
       {"--eeprom-size", "256"},
       "1\n1\n5\n6\n",
       Main(BringUp() + EepromHeader() + EepromMenu() + "EEPROM Size = 256 \n" + EepromMenu()) + Main("")},

      // A freshly loaded library holds ODT index 9: both line tests refuse it without
      // touching the adapter (no bring-up); after 8 with 4 and 3 they run and pass.
      {"DramLineTestsRefuseTheOdtAtLoadAndPassOnceItIsSet",
       {},
       "2\n4\n5\n8\n4\n3\n4\n5\n9\n6\n",
       Main(BringUp() + DramHeader() + DramMenu() + kDataLinesFailed + DramMenu() + kAddressLinesFailed + DramMenu() +
            DramSettingsPrompts() + BringUp() + kSettingsSet + DramMenu() + BringUp() + BringUp() + kDataLinesPassed +
            DramMenu() + BringUp() + kAddressLinesPassed + DramMenu()) +
           Main("")},

      {"DramSampleStringIsReadBack",
       {},
       "2\n2\n3\n9\n6\n",
       Main(BringUp() + DramHeader() + DramMenu() + BringUp() + "String written to DRAM = " + kDramSample + " \n" +
            DramMenu() + "String Read from DRAM = " + kDramSample + " \n" + DramMenu()) +
           Main("")},

      // Settings made in one visit of the menu are gone at the next: the library was
      // unloaded in between (the second visit brings the chip up at 333 MHz again, not
      // at the 200 MHz set before).
      {"DramSettingsLastUntilTheMenuEnds",
       {},
       "2\n8\n5\n1\n8\n2\n1\n7\n9\n2\n7\n1\n9\n6\n",
       Main(BringUp() + DramHeader() + DramMenu() + DramSettingsPrompts() + "ZEV_INVALID_ARG\n" + DramMenu() +
            DramSettingsPrompts() + BringUp() + kSettingsSet + DramMenu() + OdtAndFrequency(1, 2) + DramMenu()) +
           Main(BringUp() + DramHeader() + DramMenu() + OdtAndFrequency(9, 4) + DramMenu() +
                "DRAM Size = 33554431 \n" + DramMenu()) +
           Main("")},

      {"TwoAdaptersEndEverySubMenuAtOnce",
       {"--adapters", "2"},
       "1\n2\n3\n4\n5\n1\n6\n",
       Main(kMoreThanOneDev) + Main(kMoreThanOneDev) + Main(ImageInitLine() + kMoreThanOneDev) +
           Main(kMoreThanOneDev) + Main(ResetPrompt() + kMoreThanOneDev) + Main("")},

      // Without an adapter the EEPROM menu goes on; its size choice does not list the
      // communication failure, the read does.
      {"NoAdapter",
       {"--adapters", "0"},
       "1\n1\n3\n5\n3\n6\n",
       Main(kFrmWrkInitFail + EepromHeader() + EepromMenu() + EepromMenu() + kDevComFail + EepromMenu()) +
           Main(ImageInitLine() + kFrmWrkInitFail) + Main("")},

      {"ResetDeclinedWithZero", {}, "5\n0\n6\n", Main(ResetPrompt()) + Main("")},

      // Enable sets the monitor's preferred 1920 x 1080 mode; disable and success print
      // nothing; the library has no mute pair.
      {"HdmiMenuEnablesAndDisables",
       {},
       "4\n1\n2\n4\n5\n3\n6\n",
       Main(BringUp() + HdmiHeader() + Hdmi(HdmiEnableDefaults() + kHdmiInit + PixelClock("148500000") + kHdmiInitDone +
                                             "HDMI Sound enabled successfully \n") +
            Hdmi("") + Hdmi(kMuteMissing) + Hdmi(kUnMuteMissing) + Hdmi("")) +
           Main("")},

      // Without a monitor the enable fails with ZEV_LIB_FAILURE, which the menu does not
      // list: nothing is printed for it.
      {"HdmiEnableWithoutMonitorPrintsNoCode",
       {"--monitor-port", "none"},
       "4\n1\n3\n6\n",
       Main(BringUp() + HdmiHeader() + Hdmi(HdmiEnableDefaults() + kHdmiInit + kNoEdid + kNoEdid + kHdmiInitDone) +
            Hdmi("")) +
           Main("")},

      {"ImageMenuRefusesAModeLargerThanTheMonitor",
       {"--monitor-edid", kMonitor1680},
       "3\n1\n6\n2\n6\n3\n6\n",
       Main(ImageInitLine() + BringUp() + ImageMenuStart(1680, 1050, 59) + ImageMenu() + ResolutionMenu(true) +
            "Monitor donot support 1920x1080 @ 60 \n\n" + ImageMenu() + ResolutionMenu(false) +
            "Monitor donot support 1920x1080 @ 60 \n\n" + ImageMenu()) +
           Main("")},

      // Without a monitor every resolution choice fails at the preferred-mode query
      // (both EDID buses tried); choices 4 and 5 end that line differently.
      {"ImageMenuWithoutMonitor",
       {"--monitor-port", "none"},
       "3\n1\n4\n1\n2\n2\n7\n3\n6\n",
       Main(ImageInitLine() + BringUp() + "--------------Library and Voskar Hardware init success------------ \n\n" +
            kNoEdid + kNoEdid + kPreferredFailed + ImageMenu() + ResolutionMenu(true) + kNoEdid + kNoEdid +
            kPreferredFailed + ImageMenu() + ResolutionMenu(true) + kNoEdid + kNoEdid + kPreferredFailed + "\n" +
            ImageMenu() + ResolutionMenu(false) + ImageMenu()) +
           Main("")},

      // An unreadable choice counts as 0 and is used up: it ends the EEPROM menu, the
      // next one ends the program.
      {"UnreadableInputCountsAsZero",
       {},
       "1\nabc\nxyz\n",
       Main(BringUp() + EepromHeader() + EepromMenu()) + Main(InvalidChoiceExit())},

      // The input ends in the middle of choice 8: nothing is set, every menu ends.
      {"EndOfInputEndsTheProgram",
       {},
       "2\n8\n4",
       Main(BringUp() + DramHeader() + DramMenu() + DramSettingsPrompts() + DramMenu()) + MainMenu() + "\n"},
  };
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class ConsoleExerciser : public ::testing::TestWithParam<Dialogue> {};

TEST_P(ConsoleExerciser, Dialogue) {
  const Dialogue& dialogue = GetParam();
  const ExerciserRun run = RunExerciser(dialogue.simOptions, dialogue.input);
  EXPECT_FALSE(run.process.timedOut);
  EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
  EXPECT_EQ(run.dialogue, Note() + dialogue.expected) << run.process.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ConsoleExerciser, ::testing::ValuesIn(Dialogues()),
                         [](const ::testing::TestParamInfo<Dialogue>& info) { return info.param.name; });

// The adapter leaves the bus and rejoins it (a later generation, the same place), and
// can be opened again.
TEST(ConsoleExerciserReset, ConfirmedResetMakesTheAdapterRejoin) {
  const std::string tracePath = ProcessTempPath("exerciser_reset_trace.txt");
  const ExerciserRun run = RunExerciser({"--trace", tracePath}, "5\n1\n6\n", {},
                                        ShellQuote(ZEV_SIM_BIN) + " ctl status && " + ShellQuote(ZEV_E2E_PROBE_BIN) +
                                            " 'wait-count 1' open probe");
  EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
  EXPECT_EQ(run.dialogue, Note() + Main(ResetPrompt() + BringUp() + "Successfully reset the device \n") + Main(""));
  EXPECT_THAT(run.after, HasSubstr("1 plugged id=1209:0002 chip=rev1 path=usb:1-1"));
  EXPECT_THAT(run.after, HasSubstr(" generation=2 "));
  EXPECT_THAT(Lines(run.after), ::testing::IsSupersetOf({"wait-count 1: ok", "open: ok", "probe: ok ID_REV 0x9D000001"}));
  const std::vector<std::string> busEvents = [&] {
    std::vector<std::string> events;
    for (const std::string& line : Lines(ReadFile(tracePath))) {
      if (line.find(" the bus") != std::string::npos) events.push_back(line);
    }
    return events;
  }();
  EXPECT_EQ(busEvents, (std::vector<std::string>{"[1] left the bus", "[1] joined the bus (generation 2)"}));
}

TEST(ConsoleExerciserReset, DeclinedResetLeavesTheAdapterOnTheBus) {
  const std::string tracePath = ProcessTempPath("exerciser_reset_declined_trace.txt");
  const ExerciserRun run =
      RunExerciser({"--trace", tracePath}, "5\n0\n6\n", {}, ShellQuote(ZEV_SIM_BIN) + " ctl status");
  EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
  EXPECT_EQ(run.dialogue, Note() + Main(ResetPrompt()) + Main(""));
  EXPECT_THAT(run.after, HasSubstr(" generation=1 "));
  EXPECT_THAT(ReadFile(tracePath), Not(HasSubstr("left the bus")));
}

}  // namespace
}  // namespace zev::e2e
