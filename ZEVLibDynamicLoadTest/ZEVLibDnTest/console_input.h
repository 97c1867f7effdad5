#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zev::dntest {

// A number read as scanf("%d") reads it: white space skipped, an optional sign and the
// digits after it, the first other character left in the input. A token that does not
// start a number counts as 0 and is dropped, so the next read sees fresh input instead
// of the same token forever. Values beyond int are clamped. Nothing at the end of
// input. Standard output is flushed first, so a prompt shows before the program waits.
std::optional<int> ReadNumber();

// A word read as scanf("%s") reads it, at most `maxLength` characters. Nothing at the
// end of input; `tooLong` is set when the word had more characters (the rest is
// dropped).
std::optional<std::string> ReadWord(size_t maxLength, bool* tooLong);

// Waits for one character (or the end of input).
void WaitForKey();

}  // namespace zev::dntest
