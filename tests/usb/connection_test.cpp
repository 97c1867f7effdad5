#include "device/usb/connection.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/usb/device_discovery.h"
#include "device/usb/register_access.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

TEST(Discovery, CountsTheAdaptersPresent) {
  for (int n : {0, 1, 2}) {
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), n);
    EXPECT_EQ(LibCountDevices(rig.ctx()), n);
  }
}

TEST(Discovery, UnpluggedAdapterIsNotCounted) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 2);
  rig.adapter(1).Unplug();
  EXPECT_EQ(LibCountDevices(rig.ctx()), 1);
}

TEST(Discovery, FailedEnumerationCountsNothing) {
  testing::SimRig rig;
  rig.backend.FailEnumeration(true);
  EXPECT_EQ(LibCountDevices(rig.ctx()), 0);
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 1u);
}

// A backend whose single adapter has a path of the given length.
class LongPathBackend final : public UsbBackend {
 public:
  explicit LongPathBackend(size_t length) : path_(length, 'p') {}
  bool ListDevicePaths(std::vector<std::string>* paths) override {
    *paths = {path_};
    return true;
  }
  std::unique_ptr<UsbTransport> Open(const std::string&) override { return nullptr; }

 private:
  std::string path_;
};

TEST(Discovery, PathThatDoesNotFitTheBufferMeansAbsent) {
  struct Case {
    size_t length;
    uint8_t count;
  } cases[] = {{259, 1}, {260, 0}, {400, 0}};
  for (const auto& c : cases) {
    LongPathBackend backend(c.length);
    LibContext ctx(Variant::Library, &backend);
    EXPECT_EQ(LibCountDevices(ctx), c.count) << c.length;
  }
  LongPathBackend backend(10);
  LibContext ctx(Variant::Library, &backend);
  char buffer[8];
  EXPECT_FALSE(UsbGetDevicePath(ctx, buffer, 0, 0));
  EXPECT_FALSE(UsbGetDevicePath(ctx, buffer, sizeof buffer, 0));
}

TEST(Connection, OpenFillsTheDeviceRecord) {
  testing::SimRig rig;
  ASSERT_EQ(LibOpenConnection(rig.ctx()), 0u);
  UsbDevice* dev = rig.dev();
  ASSERT_NE(dev, nullptr);
  EXPECT_EQ(dev->magic, USB_DEVICE_MAGIC);
  EXPECT_EQ(dev->bulkOutPipe, 0x01);
  EXPECT_EQ(dev->interruptPipe, 0x81);
  EXPECT_EQ(dev->bulkInPipe, 0);
  EXPECT_EQ(dev->speed, kSpeedHigh);
  EXPECT_TRUE(rig.Diag().empty()) << "the library's copy prints nothing";
}

TEST(Connection, UtilityVariantPrintsWhatItFinds) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, Variant::Utility);
  ASSERT_EQ(LibOpenConnection(rig.ctx()), 0u);
  EXPECT_EQ(rig.Diag(),
            "DeviceName = (sim:0)\n"
            "DEVICE is Configured as HighSpeed \n"
            "OutPipeId = 1\n"
            "InterruptPipe Id= 129\n"
            "TOTAL:: 0x9D000001\n"
            "Device Rev:: 0x1\n"
            "Device ID:: 0x9D00\n");
  rig.ClearDiag();
  EXPECT_EQ(LibCountDevices(rig.ctx()), 1);
  EXPECT_EQ(rig.Diag(), "DeviceName = (sim:0)\nSetupDiEnumDeviceInterfaces failed: No more data is available.\n");
}

TEST(Connection, FullSpeedIsReported) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  sim::SimAdapter::Options options;
  options.speed = sim::BusSpeed::Full;
  rig.AddAdapter(std::move(options));
  ASSERT_EQ(LibOpenConnection(rig.ctx()), 0u);
  EXPECT_EQ(rig.dev()->speed, kSpeedFull);
}

TEST(Connection, PipeQueryFailingForTheLastEndpointFailsTheOpen) {
  testing::SimRig rig;
  rig.backend.failPipeQueryIndex = 1;  // the interrupt endpoint, after the bulk OUT one was found
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 1u);
  EXPECT_EQ(rig.dev(), nullptr);
  EXPECT_EQ(rig.ctx().connection.handles, nullptr);
  EXPECT_EQ(rig.backend.openTransports, 0) << "a failed open releases the transport";

  rig.backend.failPipeQueryIndex = 0;  // an earlier endpoint: skipped, the open succeeds
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 0u);
  EXPECT_EQ(rig.dev()->bulkOutPipe, 0);
  EXPECT_EQ(rig.dev()->interruptPipe, 0x81);
}

TEST(Connection, AdapterThatDoesNotAnswerTheProbeIsClosedAgain) {
  testing::SimRig rig;
  rig.adapter().faults().failAddresses.insert(ID_REV);
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 1u);
  EXPECT_EQ(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 0);
  EXPECT_EQ(LibProbeDevice(rig.ctx()), 1u);
}

TEST(Connection, NoAdapterFailsTheOpen) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 1u);
  EXPECT_EQ(rig.dev(), nullptr);
}

TEST(Connection, OpenResetsTheHdmiAudioSettings) {
  testing::SimRig rig;
  rig.ctx().gHdmiAudio = HdmiAudioSettings{3, 7, 1, 1, 2, 4};
  ASSERT_EQ(LibOpenConnection(rig.ctx()), 0u);
  const HdmiAudioSettings& audio = rig.ctx().gHdmiAudio;
  EXPECT_EQ(audio.bAudioSource, 1);
  EXPECT_EQ(audio.bMclk, 2);
  EXPECT_EQ(audio.bFsMode, 2);
  EXPECT_EQ(audio.bSuppression, 0);
  EXPECT_EQ(audio.bNSval, 0);
}

TEST(Connection, ProbeReadsIdRev) {
  testing::SimRig rig;
  uint32_t idRev = 0;
  EXPECT_EQ(LibProbeDevice(rig.ctx(), &idRev), 1u) << "nothing open";
  rig.Open();
  EXPECT_EQ(LibProbeDevice(rig.ctx(), &idRev), 0u);
  EXPECT_EQ(idRev, 0x9D000001u);
  EXPECT_EQ(LibProbeDevice(rig.ctx()), 0u);
}

TEST(Connection, CloseIsHarmlessWhenNothingIsOpenAndWhenRepeated) {
  testing::SimRig rig;
  LibCloseConnection(rig.ctx());
  rig.Open();
  LibCloseConnection(rig.ctx());
  EXPECT_EQ(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 0);
  LibCloseConnection(rig.ctx());
  EXPECT_EQ(rig.dev(), nullptr);
}

TEST(Connection, UnplugFailsTheProbeAndReplugAllowsAReopen) {
  testing::SimRig rig;
  rig.Open();
  rig.adapter().Unplug();
  EXPECT_EQ(LibProbeDevice(rig.ctx()), 1u);
  rig.adapter().Plug();
  EXPECT_EQ(LibProbeDevice(rig.ctx()), 1u) << "the old handle belongs to the device that left";
  LibCloseConnection(rig.ctx());
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 0u);
  EXPECT_EQ(LibProbeDevice(rig.ctx()), 0u);
}

TEST(Connection, DeviceResetMakesTheAdapterLeaveAndRejoin) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  const uint64_t before = rig.adapter().generation();
  EXPECT_EQ(GfxSetRegDW(dev, HW_CFG, HW_CFG_DEVICE_RESET), 0u);
  EXPECT_EQ(rig.adapter().generation(), before + 1);
  EXPECT_EQ(LibProbeDevice(rig.ctx()), 1u);
  LibCloseConnection(rig.ctx());
  EXPECT_EQ(LibOpenConnection(rig.ctx()), 0u);
}

}  // namespace
}  // namespace zev
