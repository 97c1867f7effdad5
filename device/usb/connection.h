#pragma once

#include <cstdint>

namespace zev {

struct LibContext;

// Opens the single adapter into ctx.connection and probes it. 0 success, 1 failure
// (then nothing stays open). Resets the HDMI audio settings to their defaults.
uint32_t LibOpenConnection(LibContext& ctx);
// Reads ID_REV through the open connection. 0 success, 1 failure or nothing open.
uint32_t LibProbeDevice(LibContext& ctx, uint32_t* idRev = nullptr);
// Releases the connection; harmless when nothing is open.
void LibCloseConnection(LibContext& ctx);

}  // namespace zev
