// The main menu: one sub-menu per group of exports, and the device reset.
#include <cstdio>
#include <string>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"

namespace zev::dntest {
namespace {

void PrintNote() {
  const std::string rule(84, '-');
  std::printf("%s\n", rule.c_str());
  std::fputs("Note: This application is a test application for zevutil library. Its primary objective is to show "
             "usage of APIs \nprovided in the library as support to calling application programmers. Messages and "
             "results may be ad hoc in some cases.\n",
             stdout);
  std::printf("%s\n\n", rule.c_str());
}

void PrintMenu() {
  std::fputs("-------- ZEV Library Test Menu -----------\n", stdout);
  std::fputs("\t1. EEPROM Functions\n", stdout);
  std::fputs("\t2. DRAM functions\n", stdout);
  std::fputs("\t3. Image/Rectangle draw operations \n", stdout);
  std::fputs("\t4. HDMI Sound functions\n", stdout);
  std::fputs("\t5. Reset Device \n", stdout);
  std::fputs("\t6. Exit \n", stdout);
  std::fputs("------------------------------------------ \n", stdout);
  std::fputs("Option:: ", stdout);
}

// The reset goes ahead only when the user confirms with 1.
void ConfirmReset(const LibrarySource& source) {
  std::fputs("Reset device will reset the device and reload the EEPROM content, Device will temporarily disappear from "
             "device manager and appear again with new EEPROM contents\nEnter 1 to continue",
             stdout);
  const std::optional<int> answer = ReadNumber();
  if (answer == 1) ResetAction(source);
}

}  // namespace

int RunMainMenu(const LibrarySource& source) {
  PrintNote();
  while (true) {
    PrintMenu();
    const std::optional<int> choice = ReadNumber();
    if (!choice) break;
    std::fputs("\n", stdout);
    switch (*choice) {
      case 0:
        std::fputs("Invalid operation, Application exiting! \n Press enter....", stdout);
        WaitForKey();
        return 0;
      case 1:
        EepromMenu(source);
        break;
      case 2:
        DramMenu(source);
        break;
      case 3:
        ImageMenu(source);
        break;
      case 4:
        HdmiMenu(source);
        break;
      case 5:
        ConfirmReset(source);
        break;
      default:
        WaitForKey();
        return 0;
    }
  }
  // The end of input: leave the prompt's line.
  std::fputs("\n", stdout);
  std::fflush(stdout);
  return 0;
}

}  // namespace zev::dntest
