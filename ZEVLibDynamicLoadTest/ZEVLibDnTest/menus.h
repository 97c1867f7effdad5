#pragma once

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_location.h"

namespace zev::dntest {

// The main menu until the user leaves it or the input ends; the program's exit status.
int RunMainMenu(const LibrarySource& source);

// The sub-menus. Each loads the library at its start and unloads it at its end, and
// returns at the end of input.
void EepromMenu(const LibrarySource& source);
void DramMenu(const LibrarySource& source);
void ImageMenu(const LibrarySource& source);
void HdmiMenu(const LibrarySource& source);
void ResetAction(const LibrarySource& source);

}  // namespace zev::dntest
