#include "device/eeprom/eeprom_controller.h"

#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/usb/tick.h"

namespace zev {
namespace {

// The two failure lines of one command routine; both take the E2P_CMD value.
struct CommandLines {
  const char* busyAtEntry;
  const char* timeout;
};

constexpr CommandLines kReadByteLines = {"ERROR:  EepromReadByte(), E2P busy at entry, bad E2PCMD=0x%08lX, bye.\n",
                                         "EepromReadByte() timed out reading byte, E2P_CMD=0x%08lX\n"};
constexpr CommandLines kReadBlockLines = {"ERROR:  GfxEepromReadBlock(), E2P busy at entry, bad E2PCMD=0x%08lX, bye.\n",
                                          "EepromReadBlock() timed out reading byte, E2P_CMD=0x%08lX\n"};
constexpr CommandLines kWriteByteLines = {"ERROR:  EepromWriteByte(), E2P busy at entry, bad E2PCMD=0x%08lX, bye.\n",
                                          "EepromWriteByte() timed out writing byte, E2P_CMD=0x%08lX\n"};
constexpr CommandLines kErWrEnLines = {"ERROR:  GfxEepromErWrEn(), E2P busy at entry, bad E2PCMD=0x%08lX, bye.\n",
                                       "GfxEepromErWrEn():  timed out after EWEN, E2P_CMD=0x%08lX, bye\n"};
constexpr CommandLines kErWrDisLines = {"ERROR:  GfxEepromErWrDis(), E2P busy at entry, bad E2PCMD=0x%08lX, bye.\n",
                                        "GfxEepromErWrDis():  timed out after EWDS, E2P_CMD=0x%08lX, bye\n"};
constexpr CommandLines kEraseAllLines = {"ERROR:  GfxEepromEraseAll(), E2P busy at entry, bad E2PCMD=0x%08lX, bye.\n",
                                         "GfxEepromEraseAll():  timed out after ERAL, E2P_CMD=0x%08lX, bye\n"};

// Prints `line` with the current E2P_CMD value (the value of a failed read is the
// read-failure marker).
void PrintWithCommandRegister(UsbDevice* dev, const char* line) {
  DevPrintf(dev, line, static_cast<unsigned long>(GfxGetRegDW(dev, E2P_CMD)));
}

// Reads E2P_CMD; a failed read carries the marker, whose bit 31 counts as busy.
bool IdleAtEntry(UsbDevice* dev, const CommandLines& lines) {
  const uint32_t command = GfxGetRegDW(dev, E2P_CMD);
  if ((command & E2P_CMD_BUSY) == 0) return true;
  DevPrintf(dev, lines.busyAtEntry, static_cast<unsigned long>(command));
  return false;
}

// Issues one command word and waits for it; the write results do not decide, the
// polls do.
bool IssueAndWait(UsbDevice* dev, uint32_t word, const CommandLines& lines) {
  GfxSetRegDW(dev, E2P_CMD, word);
  if (EepromtWaitDone(dev)) return true;
  PrintWithCommandRegister(dev, lines.timeout);
  return false;
}

// Fetches the byte a completed READ left in E2P_DATA. A failed read is reported
// rather than passed on as a 0xFF byte.
bool FetchReadData(UsbDevice* dev, const char* routine, uint8_t* byte) {
  uint32_t data = 0;
  if (!GfxGetRegDWBool(dev, E2P_DATA, &data)) {
    DevPrintf(dev, "ERROR:  %s() failed calling GfxGetRegDW()\n", routine);
    return false;
  }
  *byte = static_cast<uint8_t>(data);
  return true;
}

// The run [start, start+count) must lie within the controller's address range, as a
// larger address would spill into the command bits of E2P_CMD.
bool ValidRun(UsbDevice* dev, const char* routine, uint32_t start, uint32_t count, const void* buffer) {
  if (count == 0) return true;
  if (buffer == nullptr) {
    DevPrintf(dev, "ERROR:  %s(), no buffer for %lu bytes, bye.\n", routine, static_cast<unsigned long>(count));
    return false;
  }
  if (start >= kEepromAddressSpan || count > kEepromAddressSpan - start) {
    DevPrintf(dev, "ERROR:  %s(), addr=0x%lX count=%lu beyond the EEPROM addresses, bye.\n", routine,
              static_cast<unsigned long>(start), static_cast<unsigned long>(count));
    return false;
  }
  return true;
}

bool SimpleCommand(UsbDevice* dev, uint32_t word, const CommandLines& lines) {
  return IdleAtEntry(dev, lines) && IssueAndWait(dev, word, lines);
}

}  // namespace

bool EepromtWaitDone(UsbDevice* dev) {
  const uint32_t start = GetTickCount();
  for (;;) {
    // Deadline first, read second: the last read happens after the deadline, so a host
    // that was descheduled past it still sees a write that finished in time.
    const bool expired = TickTimeoutElapsed(start, kEepromTimeoutMs);
    if ((GfxGetRegDW(dev, E2P_CMD) & E2P_CMD_BUSY) == 0) return true;
    if (expired) break;
  }
  DevPrintf(dev, "ERROR:  EepromtWaitDone() timed out waiting for write or read to complete\n");
  const uint32_t data = GfxGetRegDW(dev, E2P_DATA);
  const uint32_t command = GfxGetRegDW(dev, E2P_CMD);
  DevPrintf(dev, "  E2P_CMD=0x%08lX, E2P_DATA=0x%08lX\n", static_cast<unsigned long>(command),
            static_cast<unsigned long>(data));
  return false;
}

bool EepromReadByte(UsbDevice* dev, uint32_t address, uint8_t* byte) {
  if (!ValidRun(dev, "EepromReadByte", address, 1, byte)) return false;
  return SimpleCommand(dev, E2P_CMD_READ | address, kReadByteLines) && FetchReadData(dev, "EepromReadByte", byte);
}

bool EepromWriteByte(UsbDevice* dev, uint32_t address, uint8_t byte) {
  if (!ValidRun(dev, "EepromWriteByte", address, 1, &byte)) return false;
  if (!IdleAtEntry(dev, kWriteByteLines)) return false;
  GfxSetRegDW(dev, E2P_DATA, byte);
  return IssueAndWait(dev, E2P_CMD_WRITE | address, kWriteByteLines);
}

bool EepromReadBlock(UsbDevice* dev, uint32_t start, uint8_t* buffer, uint32_t count) {
  if (!ValidRun(dev, "EepromReadBlock", start, count, buffer)) return false;
  // One busy check for the run: each wait below has seen the bit clear before the
  // next command goes out.
  if (!IdleAtEntry(dev, kReadBlockLines)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!IssueAndWait(dev, E2P_CMD_READ | (start + i), kReadBlockLines)) return false;
    if (!FetchReadData(dev, "EepromReadBlock", &buffer[i])) return false;
  }
  return true;
}

bool EepromWriteBlock(UsbDevice* dev, uint32_t start, const uint8_t* data, uint32_t count) {
  if (!ValidRun(dev, "EepromWriteBlock", start, count, data)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!EepromWriteByte(dev, start + i, data[i])) {
      DevPrintf(dev, "EepromWriteBlock():  failed writing addr=0x%02lX, E2P_CMD=0x%08lX.\n",
                static_cast<unsigned long>(start + i), static_cast<unsigned long>(GfxGetRegDW(dev, E2P_CMD)));
      return false;
    }
    // Link check: a write whose transfers failed is not noticed by the controller
    // commands, so make sure the adapter still answers. ID_REV reads have no side
    // effects.
    uint32_t ignored = 0;
    if (GfxQueryRegDW(dev, ID_REV, &ignored) != 0) return false;
  }
  return true;
}

bool GfxEepromErWrEn(UsbDevice* dev) { return SimpleCommand(dev, E2P_CMD_EWEN, kErWrEnLines); }

bool GfxEepromErWrDis(UsbDevice* dev) { return SimpleCommand(dev, E2P_CMD_EWDS, kErWrDisLines); }

bool GfxEepromEraseAll(UsbDevice* dev) {
  // An adapter that does not answer at all is no busy controller: fail quietly.
  uint32_t ignored = 0;
  if (GfxQueryRegDW(dev, E2P_CMD, &ignored) != 0) return false;
  return SimpleCommand(dev, E2P_CMD_ERAL, kEraseAllLines);
}

}  // namespace zev
