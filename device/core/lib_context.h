#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device/core/diagnostics.h"
#include "device/core/variant.h"
#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"
#include "zevutil.h"

namespace zev {

class UsbBackend;

// The single connection of a library instance: both records are null while closed.
struct LibConnection {
  std::unique_ptr<UsbDevice> device;
  std::unique_ptr<UsbHandles> handles;
  // The timing EdidParseDetailedTiming decoded last (scratch; gEdidMode keeps the result).
  DmtMode edidTiming{};
};

// All process-wide state of one device-library instance, under the names the
// routines use. zevutil and ZEVUtility each own one; tests make fresh ones.
struct LibContext {
  LibContext(Variant v, UsbBackend* b, DiagSink* sink = &DefaultDiagSink()) : variant(v), backend(b), diag(sink) {}
  LibContext(const LibContext&) = delete;
  LibContext& operator=(const LibContext&) = delete;

  Variant variant;
  UsbBackend* backend;  // how adapters are found and opened
  DiagSink* diag;       // where diagnostic lines go

  LibConnection connection;

  // DRAM clock and termination used by every bring-up, and the memory size.
  uint32_t gFreqIndex = 4;
  uint32_t gOdtIndex = 9;
  uint32_t gSysClk = 166666666;
  uint32_t gDdr2Odt = 0;
  uint32_t gMemSize = 0x1FFFFFF;
  uint8_t gMemAddrBits = 25;

  // HDMI audio settings and the sampling frequency (kHz) the last I2S set-up chose.
  HdmiAudioSettings gHdmiAudio{};
  uint32_t dwAudioFs = 0;
  // The frequency the last I2S set-up chose, untouched by Fs tracking (0 before any).
  uint32_t dwAudioFsAtSetup = 0;
  // What Fs tracking has to report ("Fs Changed old=.. new=.."); " " when nothing.
  std::string szFsStatus = " ";

  // I2C transfer mechanism chosen by the last successful VgaI2cInit (0 plain FIFO,
  // 1 old assist, 2 new assist).
  uint32_t I2cAssistMode = 0;

  // The monitor's preferred timing, decoded from its EDID by the last successful read.
  DmtMode gEdidMode{};
  // True while the DisplayPort transmitter drives video (a mode set then turns it off).
  bool gDpVideoOn = false;

  bool IsUtility() const { return variant == Variant::Utility; }
};

// The connection's device (null while closed).
inline UsbDevice* ConnectedDevice(LibContext& ctx) { return ctx.connection.device.get(); }

}  // namespace zev
