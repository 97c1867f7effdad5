#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace zev::dntest {
namespace {

bool IsSpace(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// The first character that is not white space, or EOF.
int SkipSpace() {
  int c = std::getchar();
  while (c != EOF && IsSpace(c)) c = std::getchar();
  return c;
}

// Drops the rest of a word whose first character `c` has already been taken.
void DropWord(int c) {
  while (c != EOF && !IsSpace(c)) c = std::getchar();
}

}  // namespace

std::optional<int> ReadNumber() {
  std::fflush(stdout);
  int c = SkipSpace();
  if (c == EOF) return std::nullopt;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::getchar();
  }
  if (!IsDigit(c)) {
    DropWord(c);
    return 0;
  }
  // Kept within one past INT_MAX: enough to clamp either sign.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  while (IsDigit(c)) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) magnitude = kLimit;
    c = std::getchar();
  }
  if (c != EOF) std::ungetc(c, stdin);
  if (negative) return static_cast<int>(-magnitude);
  return static_cast<int>(magnitude > INT_MAX ? INT_MAX : magnitude);
}

std::optional<std::string> ReadWord(size_t maxLength, bool* tooLong) {
  std::fflush(stdout);
  *tooLong = false;
  int c = SkipSpace();
  if (c == EOF) return std::nullopt;
  std::string word;
  while (c != EOF && !IsSpace(c)) {
    if (word.size() == maxLength) {
      *tooLong = true;
      DropWord(c);
      return word;
    }
    word.push_back(static_cast<char>(c));
    c = std::getchar();
  }
  if (c != EOF) std::ungetc(c, stdin);
  return word;
}

void WaitForKey() {
  std::fflush(stdout);
  std::getchar();
}

}  // namespace zev::dntest
