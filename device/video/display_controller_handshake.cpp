// Blank, unblank, enable and disable of the display controller: a DC_CTRL bit is
// changed and DC_STS follows it once the controller has acted on it.
#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/usb/tick.h"
#include "device/video/display_controller.h"

namespace zev {
namespace {

struct Handshake {
  const char* routine;
  const char* state;  // as the refusal names it
  uint32_t ctrlBit;
  uint32_t stsBit;  // the DC_STS bit that follows ctrlBit
  bool set;         // the handshake sets the bits (else clears them)
};

constexpr Handshake kBlank{"DcBlank", "blanked", DC_CTRL_BLANK, DC_STS_BLANKED, true};
constexpr Handshake kUnblank{"DcUnblank", "unblanked", DC_CTRL_BLANK, DC_STS_BLANKED, false};
constexpr Handshake kEnable{"DcEnable", "enabled", DC_CTRL_ENABLE, DC_STS_RUNNING, true};
constexpr Handshake kDisable{"DcDisable", "disabled", DC_CTRL_ENABLE, DC_STS_RUNNING, false};

bool InState(uint32_t value, uint32_t bit, bool set) { return ((value & bit) != 0) == set; }

unsigned long Hex(uint32_t value) { return value; }

bool ReadDc(UsbDevice* dev, const Handshake& h, uint32_t address, const char* name, uint32_t* value) {
  if (GfxGetRegDWBool(dev, address, value)) return true;
  DevPrintf(dev, "ERROR:  %s() failed reading %s=0x%08lX\n", h.routine, name, Hex(*value));
  return false;
}

// Refuses when DC_CTRL or DC_STS already shows the requested state. An unreadable
// register refuses too: the read-failure marker has nearly every bit set, and writing
// it back modified would switch on whatever those bits control.
bool NotYetInState(UsbDevice* dev, const Handshake& h, uint32_t* ctrl, uint32_t* sts) {
  if (!ReadDc(dev, h, DC_CTRL, "DC_CTRL", ctrl)) return false;
  if (InState(*ctrl, h.ctrlBit, h.set)) {
    DevPrintf(dev, "ERROR:  %s() called, but already %s, DC_CTRL=0x%08lX\n", h.routine, h.state, Hex(*ctrl));
    return false;
  }
  if (!ReadDc(dev, h, DC_STS, "DC_STS", sts)) return false;
  if (InState(*sts, h.stsBit, h.set)) {
    DevPrintf(dev, "ERROR:  %s() called, but already %s, DC_STS=0x%08lX\n", h.routine, h.state, Hex(*sts));
    return false;
  }
  return true;
}

void WriteCtrl(UsbDevice* dev, const Handshake& h, uint32_t ctrl) {
  GfxSetRegDW(dev, DC_CTRL, h.set ? ctrl | h.ctrlBit : ctrl & ~h.ctrlBit);
}

// Polls DC_STS without sleeping until the bit follows, for at most 250 ms. A failed
// read never counts as followed. `*sts` receives the last status read.
bool StatusFollows(UsbDevice* dev, const Handshake& h, uint32_t* sts) {
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, kDcTimeoutMs);  // judged before the read
    if (GfxGetRegDWBool(dev, DC_STS, sts) && InState(*sts, h.stsBit, h.set)) return true;
    if (expired) return false;
  }
}

bool RunHandshake(UsbDevice* dev, const Handshake& h, bool wait) {
  uint32_t ctrl = 0, sts = 0;
  if (!NotYetInState(dev, h, &ctrl, &sts)) return false;
  WriteCtrl(dev, h, ctrl);
  if (!wait || StatusFollows(dev, h, &sts)) return true;
  DevPrintf(dev, "ERROR:  %s() timeout, DC_STS=0x%08lX\n", h.routine, Hex(sts));
  return false;
}

// Clears one write-1-to-clear interrupt bit of a status the blank left behind, and
// reports a bit that was not raised or does not clear. Returns the last status read.
uint32_t ClearBlankInterrupt(UsbDevice* dev, uint32_t sts, uint32_t bit, const char* notSet, const char* notCleared) {
  if ((sts & bit) == 0) {
    DevPrintf(dev, notSet, Hex(sts));
    return sts;
  }
  GfxSetRegDW(dev, DC_STS, bit);
  sts = GfxGetRegDW(dev, DC_STS);
  if ((sts & bit) != 0) DevPrintf(dev, notCleared, Hex(sts));
  return sts;
}

// A completed blank leaves nothing pending and both interrupts raised.
void CheckBlankStatus(UsbDevice* dev, uint32_t sts) {
  if ((sts & DC_STS_BLANK_PENDING_) != 0) {
    DevPrintf(dev, "ERROR:  DcBlank() the DC_STS_BLANK_PENDING_ is set after blank! DC_STS=0x%08lX\n", Hex(sts));
  }
  sts = ClearBlankInterrupt(dev, sts, DC_STS_BLANK_INT_,
                            "ERROR:  DcBlank() the DC_STS_BLANK_INT_ is NOT set after blank! DC_STS=0x%08lX\n",
                            "ERROR:  DcBlank() the DC_STS_BLANK_INT_ is NOT cleard after Wc! DC_STS=0x%08lX\n");
  ClearBlankInterrupt(dev, sts, DC_STS_VBLANK_INT_,
                      "ERROR:  DcBlank() the DC_STS_VBLANK_INT_ is NOT set after blank! DC_STS=0x%08lX\n",
                      "ERROR:  DcBlank() the DC_STS_VBLANK_INT_ is NOT cleard after Wc! DC_STS=0x%08lX\n");
}

}  // namespace

bool DcIsBlanked(UsbDevice* dev) { return (GfxGetRegDW(dev, DC_STS) & DC_STS_BLANKED) != 0; }

bool DcIsEnabled(UsbDevice* dev) { return (GfxGetRegDW(dev, DC_STS) & DC_STS_RUNNING) != 0; }

// A blank that the controller never reports fails: the caller must not reprogram a
// controller that is still scanning out.
bool DcBlank(UsbDevice* dev, bool bWait) {
  uint32_t ctrl = 0, sts = 0;
  if (!NotYetInState(dev, kBlank, &ctrl, &sts)) return false;
  if ((sts & DC_STS_BLANK_PENDING_) != 0) {
    DevPrintf(dev, "ERROR:  DcBlank() the DC_STS_BLANK_PENDING_ is set before blank! DC_STS=0x%08lX\n", Hex(sts));
  }
  // A stale blank interrupt would hide whether this blank raised one.
  if ((sts & DC_STS_BLANK_INT_) != 0) GfxSetRegDW(dev, DC_STS, DC_STS_BLANK_INT_);
  WriteCtrl(dev, kBlank, ctrl);
  if (!bWait) return true;
  if (!StatusFollows(dev, kBlank, &sts)) {
    DevPrintf(dev, "ERROR:  DcBlank() timeout, DC_STS=0x%08lX, DC_CTRL=0x%08lX\n", Hex(sts),
              Hex(GfxGetRegDW(dev, DC_CTRL)));
    return false;
  }
  CheckBlankStatus(dev, sts);
  return true;
}

bool DcUnblank(UsbDevice* dev, bool bWait) { return RunHandshake(dev, kUnblank, bWait); }

bool DcEnable(UsbDevice* dev, bool bWait) { return RunHandshake(dev, kEnable, bWait); }

bool DcDisable(UsbDevice* dev, bool bWait) { return RunHandshake(dev, kDisable, bWait); }

}  // namespace zev
