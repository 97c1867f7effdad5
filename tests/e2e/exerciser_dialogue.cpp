#include "tests/e2e/exerciser_dialogue.h"

namespace zev::e2e::dialogue {

std::string BringUp(const std::string& clock) { return "<bring-up " + clock + ">"; }
std::string PixelClock(const std::string& hz) { return "<pixel clock " + hz + ">"; }

std::string Note() {
  const std::string rule(84, '-');
  return rule + "\n" +
         "Note: This application is a test application for zevutil library. Its primary objective is to show usage "
         "of APIs \nprovided in the library as support to calling application programmers. Messages and results may "
         "be ad hoc in some cases.\n" +
         rule + "\n\n";
}

std::string MainMenu() {
  return "-------- ZEV Library Test Menu -----------\n"
         "\t1. EEPROM Functions\n"
         "\t2. DRAM functions\n"
         "\t3. Image/Rectangle draw operations \n"
         "\t4. HDMI Sound functions\n"
         "\t5. Reset Device \n"
         "\t6. Exit \n"
         "------------------------------------------ \n"
         "Option:: ";
}

std::string ResetPrompt() {
  return "Reset device will reset the device and reload the EEPROM content, Device will temporarily disappear from "
         "device manager and appear again with new EEPROM contents\nEnter 1 to continue";
}

std::string InvalidChoiceExit() { return "Invalid operation, Application exiting! \n Press enter...."; }

std::string EepromHeader() { return "********* EEPROM Function testing ******** \n\n"; }

std::string EepromMenu() {
  return "-------- EEPROM functions Test Menu -----------\n"
         "\t1. Calculate EEPROM Size \n"
         "\t2. Write in EEPROM \n"
         "\t3. Read from EEPROM \n"
         "\t4. Erase EEPROM \n"
         "\t5. Exit \n";
}

std::string DramHeader() { return "********* dram Function testing ******** \n\n"; }

std::string DramMenu() {
  return "\t1. DRAM EEPROM Size \n"
         "\t2. Write in DRAM \n"
         "\t3. Read from DRAM \n"
         "\t4. Test Data Lines \n"
         "\t5. Test Address Lines \n"
         "\t6. Verify full DRAM \n"
         "\t7. Get ODT and Frequency Value \n"
         "\t8. Set ODT and Frequency Value \n"
         "\t9. Exit \n";
}

std::string DramSettingsPrompts() {
  return "Enter Frequency:  \n\t 1 -> 300MHz, \n\t 2 -> 400MHz, \n\t 3 -> 533MHz, \n\t 4 -> 667MHz \n"
         "Enter ODT Val:  \n\t 1 -> 75 Ohm, \n\t 2 -> 150 Ohm, \n\t 3 -> ODT Disabled \n";
}

std::string HdmiHeader() { return "********* HDMI Sound Function testing ******** \n\n"; }

std::string HdmiMenu() {
  return "--------------------- HDMI Sound Test Menu ---------------------\n"
         "\t1. Enable HDMI Sound and Video \n"
         "\t2. Disable HDMI Sound and Video \n"
         "\t3. Exit \n" +
         std::string(63, '-') + "\n" + "Options:";
}

std::string HdmiEnableDefaults() {
  return "\nInitializing HDMI with default values \nHere are default values: \n"
         "Display Controller Port set to 'DC_PORT_HDMI_AV'\nAudio set to 'AUDIO_I2S0'\n"
         "Audio Sampling Frequency set to 'I2S_FS_AUTO'\nMCLK mode set to '256 * Fs'\n"
         "N_SVAL set to 'Default'\nInfro frame suppression set to Disable\n" +
         std::string(59, '-') + "\n\n";
}

std::string ImageInitLine() { return "----------------Intializing library and Voskar Hardware----------------"; }

std::string ImageMenuStart(int width, int height, int refresh) {
  return "--------------Library and Voskar Hardware init success------------ \n\n"
         "Preferred Resolution & Refresh Rate of Monitor: \nHorizontal Pixel = " +
         std::to_string(width) + " \nVertical Pixels = " + std::to_string(height) +
         " \nRefreshRate  = " + std::to_string(refresh) + "\n\n";
}

std::string ImageMenu() {
  return "-------- Image Test Menu -----------\n"
         "\t1. Draw rectangle operation\n"
         "\t2. Image draw operation \n"
         "\t3. Exit \n"
         "------------------------------------ \n"
         "Option:: ";
}

std::string ResolutionMenu(bool rectangle) {
  const std::string draw = rectangle ? "Draw rectangle at" : "Draw image at";
  return "----------------Select Monitor Resolution ----------------\n"
         "1. " + draw + " prefered resolution \n"
         "2. " + draw + " 640x480 @ 60\n"
         "3. " + draw + " 800x600 @ 60\n"
         "4. " + draw + " 1280x1024 @ 60\n"
         "5. " + draw + " 1440x900 @ 60\n"
         "6. " + draw + " 1920x1080 @ 60\n"
         "-------------------------------------------------------------\n"
         "Option:: ";
}

std::string RectangleQuestions(int width, int height) {
  return " Enter Rectangle Color: \t\n 0 -> Red \t\n 1 -> Green \t\n 2 -> Blue \t\n 3 -> White \t\n 4 -> Black\n"
         " \nEnter starting co-ordinates for Rectangle: \nX - Pos :  \nY - Pos : "
         " \nEnter Width, 'X-Pos + Width' should not greater than " +
         std::to_string(width) + " \n Width : " + " \nEnter Height, 'Y-Pos + Hight' should not greater than " +
         std::to_string(height) + " \n Height : ";
}

std::string PicturePrompt() {
  return "\nPlease enter Image path(Image Resolution should match selected Monitor Resolution):  ";
}

}  // namespace zev::e2e::dialogue
