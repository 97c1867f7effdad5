#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

#include <cstdio>

namespace zev::dntest {

void PrintStatus(ZEV_STATUS code, std::span<const StatusLine> lines) {
  for (const StatusLine& line : lines) {
    if (line.code == code) {
      std::fputs(line.text, stdout);
      return;
    }
  }
}

}  // namespace zev::dntest
