// The exerciser's command line and ZEV_LIBRARY: which library file it is told to load.
#include <gtest/gtest.h>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/command_line.h"

namespace zev::dntest {
namespace {

struct Case {
  std::vector<std::string> args;
  const char* environment;  // ZEV_LIBRARY, null when unset
  bool ok;
  std::string library;  // the explicit path; empty: the default search
  bool help = false;
};

class ParseCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, Parses) {
  const Case& c = GetParam();
  CommandLine parsed;
  std::string error;
  ASSERT_EQ(ParseCommandLine(c.args, c.environment, &parsed, &error), c.ok) << error;
  if (!c.ok) {
    EXPECT_FALSE(error.empty());
    return;
  }
  EXPECT_EQ(parsed.library.explicitPath, c.library);
  EXPECT_EQ(parsed.help, c.help);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    ::testing::Values(Case{{}, nullptr, true, ""}, Case{{}, "", true, ""},
                      Case{{}, "/opt/zev/libzevutil.so", true, "/opt/zev/libzevutil.so"},
                      Case{{"--library", "/a/libzevutil.so"}, nullptr, true, "/a/libzevutil.so"},
                      Case{{"--library=b.so"}, nullptr, true, "b.so"},
                      // The option wins over the environment.
                      Case{{"--library", "/a.so"}, "/env.so", true, "/a.so"},
                      Case{{"--help"}, nullptr, true, "", true}, Case{{"-h"}, "/env.so", true, "/env.so", true},
                      Case{{"--library"}, nullptr, false, ""}, Case{{"--library="}, nullptr, false, ""},
                      Case{{"--library", ""}, nullptr, false, ""}, Case{{"lib.so"}, nullptr, false, ""},
                      Case{{"--verbose"}, nullptr, false, ""}));

}  // namespace
}  // namespace zev::dntest
