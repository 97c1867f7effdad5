#pragma once

// The console exerciser's texts as a user sees them, for building the dialogue a test
// expects. Each menu text ends where the exerciser waits for input.
#include <string>

namespace zev::e2e::dialogue {

// Where the library's bring-up announces the DDR2 clock, and where a mode set
// announces its pixel clock (see exerciser_support.h).
std::string BringUp(const std::string& clock = "333Mhz");
std::string PixelClock(const std::string& hz);
inline const std::string kNoEdid = "<no EDID>";

std::string Note();      // printed once at start
std::string MainMenu();  // ends with "Option:: "
// What follows the main menu's read: a line feed.
inline const std::string kAfterMainChoice = "\n";
std::string ResetPrompt();
std::string InvalidChoiceExit();

std::string EepromHeader();
std::string EepromMenu();
std::string DramHeader();
std::string DramMenu();
std::string DramSettingsPrompts();  // choice 8: frequency, then termination
std::string HdmiHeader();
std::string HdmiMenu();  // ends with "Options:"
std::string HdmiEnableDefaults();  // choice 1 up to the call of ZEVHdmiPhyEnable
inline const std::string kHdmiInitDone =
    "\n-----------------------Init HDMI done------------------------------------\n\n";

// The image menu before its first choice, with the monitor's preferred mode.
std::string ImageMenuStart(int width, int height, int refresh);
std::string ImageInitLine();  // printed before ZEVLibInit (no line end)
std::string ImageMenu();
// The resolution sub-menu of the rectangle flow or the picture flow.
std::string ResolutionMenu(bool rectangle);
// The rectangle questions for a drawing area.
std::string RectangleQuestions(int width, int height);
std::string PicturePrompt();

inline const std::string kMoreThanOneDev = "ZEV_LIB_MORE_THAN_ONE_DEV \n";
inline const std::string kFrmWrkInitFail = "ZEV_FRM_WRK_INIT_FAIL\n";
inline const std::string kDevComFail = "ZEV_DEV_COM_FAIL \n";
inline const std::string kLoadFailed = "Failed to load zevutil.dll library \n";

}  // namespace zev::e2e::dialogue
