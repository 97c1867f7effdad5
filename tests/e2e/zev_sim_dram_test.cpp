// zev-sim's DRAM: the `dram` control commands and --dram-size, seen through the memory
// exports of the built libzevutil.so (zev-e2e-lib).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

const Scenario kScenarios[] = {
    // Each fault moves or alters what the exports store and read; clear undoes it and
    // leaves the content.
    {"FaultsActOnTheMemory",
     {"--adapters", "1"},
     {"init",
      // Line 12 stuck high: the word written at 0 lands at 0x1000.
      "ctl dram stuck-address 12 1", "dram-write 0 0 1111111111111111", "ctl dram clear", "dram-read 0 8",
      "dram-read 0x1000 8",
      // Lines 4 and 9 shorted: 0x10 drives them apart, so both settle low (and) or high (or).
      "ctl dram short 4 9", "dram-write 0x10 0 2222222222222222", "ctl dram clear", "dram-read 0 8",
      "ctl dram short 4 9 or", "dram-write 0x10 0 3333333333333333", "ctl dram clear", "dram-read 0x210 8",
      // Data and cell faults alter what is read, not what is stored.
      "ctl dram stuck-data 0 1", "dram-read 0x40 8", "ctl dram bad-cell 0x1004", "dram-read 0x1000 8",
      "ctl dram clear", "ctl dram bad-cell 0x1000 0xF000 0x11", "dram-read 0x1000 8", "ctl dram clear",
      "dram-read 0x40 8", "dram-read 0x1000 8"},
     {"init: 0", "ctl dram stuck-address 12 1 -> ok adapter 1: address line 12 stuck at 1",
      "dram-write 0 0 1111111111111111: 0", "ctl dram clear -> ok adapter 1: DRAM faults cleared",
      "dram-read 0 8: 0 0000000000000000", "dram-read 0x1000 8: 0 1111111111111111",
      "ctl dram short 4 9 -> ok adapter 1: address lines 4 and 9 shorted (low wins)",
      "dram-write 0x10 0 2222222222222222: 0", "ctl dram clear -> ok adapter 1: DRAM faults cleared",
      "dram-read 0 8: 0 2222222222222222",
      "ctl dram short 4 9 or -> ok adapter 1: address lines 4 and 9 shorted (high wins)",
      "dram-write 0x10 0 3333333333333333: 0", "ctl dram clear -> ok adapter 1: DRAM faults cleared",
      "dram-read 0x210 8: 0 3333333333333333", "ctl dram stuck-data 0 1 -> ok adapter 1: data bit 0 stuck at 1",
      "dram-read 0x40 8: 0 0100000000000000", "ctl dram bad-cell 0x1004 -> ok adapter 1: the word at 0x1000 reads 0",
      "dram-read 0x1000 8: 0 0000000000000000", "ctl dram clear -> ok adapter 1: DRAM faults cleared",
      "ctl dram bad-cell 0x1000 0xF000 0x11 -> ok adapter 1: the word at 0x1000 reads bits 0xF000 as 1 and 0x11 as 0",
      "dram-read 0x1000 8: 0 00f1111111111111", "ctl dram clear -> ok adapter 1: DRAM faults cleared",
      "dram-read 0x40 8: 0 0000000000000000", "dram-read 0x1000 8: 0 1111111111111111"}},

    // A 32 MB part ignores address line 25: 0x2000000 is 0 again. A 64 MB part has it.
    {"ThirtyTwoMegabytePartWrapsAt32MB",
     {"--dram-size", "32"},
     {"set-mem-size 0x3FFFFFF", "init", "dram-write 0x2000000 0 1122334455667788", "dram-read 0 8",
      "ctl dram stuck-address 25 1"},
     {"set-mem-size 0x3FFFFFF: 0", "init: 0", "dram-write 0x2000000 0 1122334455667788: 0",
      "dram-read 0 8: 0 1122334455667788",
      "ctl dram stuck-address 25 1 -> error: no address line '25' (the 32 MB part has lines 3 to 24) [exit 1]"}},

    {"SixtyFourMegabytePartHoldsAbove32MB",
     {"--dram-size=64"},
     {"set-mem-size 0x3FFFFFF", "init", "dram-write 0x2000000 0 1122334455667788", "dram-read 0 8",
      "dram-read 0x2000000 8", "ctl dram stuck-address 25 1"},
     {"set-mem-size 0x3FFFFFF: 0", "init: 0", "dram-write 0x2000000 0 1122334455667788: 0",
      "dram-read 0 8: 0 0000000000000000", "dram-read 0x2000000 8: 0 1122334455667788",
      "ctl dram stuck-address 25 1 -> ok adapter 1: address line 25 stuck at 1"}},

    {"BadCommandsAreRefused",
     {"--adapters", "2"},
     {"ctl dram", "ctl dram melt", "ctl dram 3 clear", "ctl dram stuck-address 2 1", "ctl dram stuck-address 12 2",
      "ctl dram stuck-address 12", "ctl dram short 7 7", "ctl dram short 7 8 xor", "ctl dram stuck-data 64 0",
      "ctl dram stuck-data bit 0", "ctl dram bad-cell 0x2000000", "ctl dram bad-cell 0x100 0xF0",
      "ctl dram bad-cell 0x100 1 1", "ctl dram clear now", "ctl dram 2 stuck-data 5 1"},
     {"ctl dram -> error: usage: dram [N] stuck-address|short|stuck-data|bad-cell|clear ... [exit 1]",
      "ctl dram melt -> error: unknown DRAM fault 'melt' [exit 1]",
      "ctl dram 3 clear -> error: no adapter '3' (adapters are numbered 1 to 2) [exit 1]",
      "ctl dram stuck-address 2 1 -> error: no address line '2' (the 32 MB part has lines 3 to 24) [exit 1]",
      "ctl dram stuck-address 12 2 -> error: bad level '2' (use 0 or 1) [exit 1]",
      "ctl dram stuck-address 12 -> error: usage: dram [N] stuck-address LINE 0|1 [exit 1]",
      "ctl dram short 7 7 -> error: a line cannot be shorted to itself [exit 1]",
      "ctl dram short 7 8 xor -> error: short how: 'xor' (use and or or) [exit 1]",
      "ctl dram stuck-data 64 0 -> error: no data bit '64' (bits 0 to 63) [exit 1]",
      "ctl dram stuck-data bit 0 -> error: no data bit 'bit' (bits 0 to 63) [exit 1]",
      "ctl dram bad-cell 0x2000000 -> error: bad DRAM address '0x2000000' (the 32 MB part ends at 0x1FFFFFF) [exit 1]",
      "ctl dram bad-cell 0x100 0xF0 -> error: bad-cell takes both masks or none [exit 1]",
      "ctl dram bad-cell 0x100 1 1 -> error: a bit cannot read both 1 and 0 [exit 1]",
      "ctl dram clear now -> error: usage: dram [N] clear [exit 1]",
      "ctl dram 2 stuck-data 5 1 -> ok adapter 2: data bit 5 stuck at 1"}},
};

class ZevSimDram : public ::testing::TestWithParam<Scenario> {};

TEST_P(ZevSimDram, Transcript) {
  const Scenario& scenario = GetParam();
  const ProcessResult result = RunLibClient(scenario.options, scenario.steps, scenario.environment);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out), ::testing::ElementsAreArray(scenario.transcript)) << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevSimDram, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace zev::e2e
