#include "device/usb/usb_id_list.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zev {
namespace {

TEST(UsbIdList, ParsesLists) {
  std::vector<UsbId> ids;
  std::string error;
  ASSERT_TRUE(ParseUsbIdList("1209:0001,abcd:EF01", &ids, &error));
  EXPECT_EQ(ids, (std::vector<UsbId>{{0x1209, 0x0001}, {0xABCD, 0xEF01}}));
}

TEST(UsbIdList, RejectsBadText) {
  for (const char* bad : {"", "1209", "1209:", ":0001", "12345:0001", "1209:00g1", "1209:0001,", "1209:0001;2"}) {
    std::vector<UsbId> ids;
    std::string error;
    EXPECT_FALSE(ParseUsbIdList(bad, &ids, &error)) << bad;
    EXPECT_NE(error.find("expected vvvv:pppp"), std::string::npos) << bad;
    EXPECT_TRUE(ids.empty()) << bad;
  }
}

TEST(UsbIdList, EnvironmentAddsToTheDefaults) {
  std::vector<UsbId> ids;
  std::string error;
  ::setenv("ZEV_USB_IDS", "dead:beef", 1);
  ASSERT_TRUE(UsbIdsFromEnvironment(&ids, &error));
  EXPECT_EQ(ids, (std::vector<UsbId>{kBuiltInUsbId, kProgrammedUsbId, {0xDEAD, 0xBEEF}}));
  ::setenv("ZEV_USB_IDS", "nonsense", 1);
  EXPECT_FALSE(UsbIdsFromEnvironment(&ids, &error));
  EXPECT_EQ(error.rfind("ZEV_USB_IDS: ", 0), 0u) << error;
  ::unsetenv("ZEV_USB_IDS");
}

}  // namespace
}  // namespace zev
