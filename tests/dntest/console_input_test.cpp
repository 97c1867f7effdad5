// The exerciser's input: numbers as scanf("%d") reads them, but an unreadable token is
// used up (counting as 0) instead of blocking every later read, and the end of input
// is told apart.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"

namespace zev::dntest {
namespace {

// Standard input replaced by a file holding `text`. The name is the process's own:
// ctest runs the cases of this file as parallel processes.
void FeedStdin(const std::string& text) {
  const std::string path = ::testing::TempDir() + "console_input_" + std::to_string(getpid()) + ".txt";
  std::ofstream(path, std::ios::binary) << text;
  ASSERT_NE(std::freopen(path.c_str(), "r", stdin), nullptr);
}

// Every number read until the end of input (at most 20, so a reader that never gets
// there still ends).
std::vector<int> NumbersUntilEnd() {
  std::vector<int> numbers;
  while (numbers.size() < 20) {
    const std::optional<int> number = ReadNumber();
    if (!number) break;
    numbers.push_back(*number);
  }
  return numbers;
}

struct NumberCase {
  std::string input;
  std::vector<int> numbers;
};

class ReadNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberTest, ReadsLikeScanfButNeverSticks) {
  FeedStdin(GetParam().input);
  EXPECT_EQ(NumbersUntilEnd(), GetParam().numbers);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadNumberTest,
    ::testing::Values(NumberCase{"", {}}, NumberCase{" \n\t ", {}}, NumberCase{"1 2\n3", {1, 2, 3}},
                      NumberCase{"-5 +6 007", {-5, 6, 7}},
                      // The digits are taken, the rest is the next (unreadable) token.
                      NumberCase{"12abc 7", {12, 0, 7}}, NumberCase{"5x", {5, 0}},
                      NumberCase{"abc", {0}}, NumberCase{"abc def\n4", {0, 0, 4}},
                      // A sign without digits is unreadable; what follows the blank is not.
                      NumberCase{"+ 4", {0, 4}}, NumberCase{"-", {0}},
                      // Beyond int: clamped rather than wrapped.
                      NumberCase{"99999999999 -99999999999", {2147483647, -2147483647 - 1}},
                      NumberCase{"2147483647 -2147483648", {2147483647, -2147483647 - 1}}));

TEST(ReadWordTest, ReadsOneWordAtATime) {
  FeedStdin("  /tmp/a.bmp\n/tmp/b.bmp");
  bool tooLong = true;
  EXPECT_EQ(ReadWord(511, &tooLong), "/tmp/a.bmp");
  EXPECT_FALSE(tooLong);
  EXPECT_EQ(ReadWord(511, &tooLong), "/tmp/b.bmp");
  EXPECT_EQ(ReadWord(511, &tooLong), std::nullopt);
}

TEST(ReadWordTest, LongWordIsCutAndItsRestDropped) {
  FeedStdin("abcdefgh 3");
  bool tooLong = false;
  EXPECT_EQ(ReadWord(5, &tooLong), "abcde");
  EXPECT_TRUE(tooLong);
  EXPECT_EQ(ReadNumber(), 3);
  // Exactly the limit is not too long.
  FeedStdin("abcde");
  EXPECT_EQ(ReadWord(5, &tooLong), "abcde");
  EXPECT_FALSE(tooLong);
}

}  // namespace
}  // namespace zev::dntest
