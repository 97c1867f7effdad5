// The device library reaching virtual adapters through libusb and zev-sim: counting,
// opening, unplug and plug, a device vanishing mid-transfer, device reset, faults.
// Each case runs a probe script under its own zev-sim and compares the transcript.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

const Scenario kScenarios[] = {
    {"OneAdapterIsFoundAndOpens",
     {"--adapters", "1"},
     {"count", "paths", "open", "probe", "close"},
     {"count 1", "paths usb:1-1", "open: ok", "probe: ok ID_REV 0x9D000001", "close"}},

    {"TwoAdaptersAreCountedWithDistinctPaths",
     {"--adapters", "2", "--variant", "a0,rev1"},
     {"count", "paths", "open", "probe"},
     {"count 2", "paths usb:1-1 usb:1-2", "open: ok", "probe: ok ID_REV 0x9D000000"}},

    {"AnAdapterAddedLaterIsFound",
     {"--adapters", "0"},
     {"count", "open", "ctl add fpga130", "wait-count 1", "open", "read 0x3004"},
     {"count 0", "open: failed", "ctl add fpga130 -> ok added 1 at usb:1-1", "wait-count 1: ok", "open: ok",
      "read 0x3004: 0x00000082"}},

    {"UnpluggedAdapterFailsTheProbeAndReopensAfterPlug",
     {"--adapters", "1"},
     {"open", "probe", "ctl unplug", "probe", "close", "wait-count 0", "open", "ctl plug", "wait-count 1", "open",
      "probe"},
     {"open: ok", "probe: ok ID_REV 0x9D000001", "ctl unplug -> ok unplugged 1", "probe: failed", "close",
      "wait-count 0: ok", "open: failed", "ctl plug -> ok plugged 1", "wait-count 1: ok", "open: ok",
      "probe: ok ID_REV 0x9D000001"}},

    {"UnpluggingOneOfTwoLeavesTheOther",
     {"--adapters", "2"},
     {"ctl unplug 1", "wait-count 1", "paths", "open", "probe", "ctl plug 1", "wait-count 2", "paths"},
     {"ctl unplug 1 -> ok unplugged 1", "wait-count 1: ok", "paths usb:1-2", "open: ok",
      "probe: ok ID_REV 0x9D000001", "ctl plug 1 -> ok plugged 1", "wait-count 2: ok", "paths usb:1-1 usb:1-2"}},

    // The unplug lands while reads are in flight: the loop must end with a failure,
    // neither crash nor hang, and the adapter must come back usable.
    {"AdapterVanishingDuringReadsFailsThemCleanly",
     {"--adapters", "1"},
     {"open", "ctl& unplug", "reads-until-failure 200000", "ctl-wait", "probe", "close", "wait-count 0", "ctl plug",
      "wait-count 1", "open", "probe"},
     {"open: ok", "reads-until-failure: failed", "ctl& unplug -> ok unplugged 1", "probe: failed", "close",
      "wait-count 0: ok", "ctl plug -> ok plugged 1", "wait-count 1: ok", "open: ok", "probe: ok ID_REV 0x9D000001"}},

    // Writing the device-reset bit of HW_CFG makes the chip leave and rejoin the bus.
    {"DeviceResetLeavesAndRejoinsTheBus",
     {"--adapters", "1"},
     {"hotplug-watch", "open", "write 0x3008 0x2", "hotplug-wait left arrived", "probe", "close", "open", "probe",
      "generation 1"},
     {"hotplug-watch: ok", "open: ok", "write 0x3008 0x2: ok",
      "hotplug: left 1209:0002 at 1-1, arrived 1209:0002 at 1-1", "probe: failed", "close", "open: ok",
      "probe: ok ID_REV 0x9D000001", "generation 1: 2"}},

    // The chip re-reads its EEPROM at a device reset and rejoins with what it finds.
    {"DeviceResetPresentsTheReprogrammedIdentity",
     {"--adapters", "1"},
     {"hotplug-watch", "open", "program-pid 0x0003", "write 0x3008 0x2", "hotplug-wait left arrived", "close", "open",
      "probe"},
     {"hotplug-watch: ok", "open: ok", "program-pid 0x0003: ok", "write 0x3008 0x2: ok",
      "hotplug: left 1209:0002 at 1-1, arrived 1209:0003 at 1-1", "close", "open: ok", "probe: ok ID_REV 0x9D000001"},
     {"ZEV_USB_IDS=1209:0003"}},

    {"InjectedFaultsReachTheProgram",
     {"--adapters", "1"},
     {"open", "ctl fault fail-next 3", "probe", "probe", "ctl fault stuck 0x3000 0 0xFFFF", "read 0x3000",
      "ctl fault clear", "read 0x3000", "ctl fault stall control", "read 0x3000", "ctl fault 1 clear",
      "ctl fault stall bulk", "bulk 4096", "ctl fault clear", "bulk 4096", "ctl fault fail-address 0x3004",
      "read 0x3004", "read 0x3000", "ctl fault clear", "ctl fault fail-read 0x3008", "read 0x3008",
      "write 0x3008 0x0", "ctl fault clear", "ctl status"},
     {"open: ok", "ctl fault fail-next 3 -> ok adapter 1: the next 3 transfers fail", "probe: failed",
      "probe: ok ID_REV 0x9D000001", "ctl fault stuck 0x3000 0 0xFFFF -> ok adapter 1: register 0x3000 has stuck bits",
      "read 0x3000: 0x9D000000", "ctl fault clear -> ok adapter 1: faults cleared", "read 0x3000: 0x9D000001",
      "ctl fault stall control -> ok adapter 1: control transfers stall", "read 0x3000: failed",
      "ctl fault 1 clear -> ok adapter 1: faults cleared", "ctl fault stall bulk -> ok adapter 1: bulk transfers stall",
      "bulk 4096: failed", "ctl fault clear -> ok adapter 1: faults cleared", "bulk 4096: wrote 4096",
      "ctl fault fail-address 0x3004 -> ok adapter 1: transfers to register 0x3004 fail", "read 0x3004: failed",
      "read 0x3000: 0x9D000001", "ctl fault clear -> ok adapter 1: faults cleared",
      "ctl fault fail-read 0x3008 -> ok adapter 1: reads of register 0x3008 fail", "read 0x3008: failed",
      "write 0x3008 0x0: ok", "ctl fault clear -> ok adapter 1: faults cleared",
      // Every refused transfer counts as failed: 3 (fail-next) + 3 (stall) + 1 (bulk stall)
      // + 3 (fail-address) + 3 (fail-read).
      "ctl status -> ok 1 adapter | 1 plugged id=1209:0002 chip=rev1 path=usb:1-1 node=/dev/bus/usb/001/002 "
      "generation=1 reads=5 writes=1 bulk=1 bulk-bytes=4096 control=0 failed=13 undecoded=0"}},

    // Counters count what crossed the bus: the open's probe and one more read, one
    // bulk transfer of 8 MiB sent as a single URB.
    {"StatusCountsTheTransfers",
     {"--adapters", "1"},
     {"open", "probe", "bulk 8388608", "ctl status"},
     {"open: ok", "probe: ok ID_REV 0x9D000001", "bulk 8388608: wrote 8388608",
      "ctl status -> ok 1 adapter | 1 plugged id=1209:0002 chip=rev1 path=usb:1-1 node=/dev/bus/usb/001/002 "
      "generation=1 reads=2 writes=0 bulk=1 bulk-bytes=8388608 control=0 failed=0 undecoded=0"}},

    {"BadControlCommandsAreRefused",
     {"--adapters", "1"},
     {"ctl fault 2 clear", "ctl bogus", "ctl fault stuck 0x3000 1 1", "ctl fault stuck 0x10000 0 0",
      "ctl fault fail-next", "ctl fault melt", "ctl unplug 1 now", "ctl add rev7", "open", "ctl unplug", "probe",
      "ctl status"},
     {"ctl fault 2 clear -> error: no adapter '2' (adapters are numbered 1 to 1) [exit 1]",
      "ctl bogus -> error: unknown command 'bogus' (try zev-sim ctl --help) [exit 1]",
      "ctl fault stuck 0x3000 1 1 -> error: a bit cannot be stuck both high and low [exit 1]",
      "ctl fault stuck 0x10000 0 0 -> error: bad register address '0x10000' [exit 1]",
      "ctl fault fail-next -> error: usage: fault [N] fail-next COUNT [exit 1]",
      "ctl fault melt -> error: unknown fault 'melt' [exit 1]",
      "ctl unplug 1 now -> error: unexpected argument 'now' [exit 1]",
      "ctl add rev7 -> error: unknown chip variant 'rev7' (use a0, rev1 or fpgaNNN) [exit 1]", "open: ok",
      "ctl unplug -> ok unplugged 1", "probe: failed",
      // The probe's three attempts through the stale handle are recorded as failed.
      "ctl status -> ok 1 adapter | 1 unplugged id=1209:0002 chip=rev1 path=usb:1-1 node=- generation=1 reads=1 "
      "writes=0 bulk=0 bulk-bytes=0 control=0 failed=3 undecoded=0"}},
};

class UsbPath : public ::testing::TestWithParam<Scenario> {};

TEST_P(UsbPath, Transcript) {
  const Scenario& scenario = GetParam();
  const ProcessResult result = RunProbe(scenario.options, scenario.steps, scenario.environment);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out), ::testing::ElementsAreArray(scenario.transcript)) << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, UsbPath, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace zev::e2e
