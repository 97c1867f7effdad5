#include "sim/core/trace.h"

#include <cinttypes>

namespace zev::sim {

void Trace::Record(TraceEvent event) {
  switch (event.kind) {
    case TraceEvent::Kind::RegRead:
      ++counters_.regReads;
      break;
    case TraceEvent::Kind::RegWrite:
      ++counters_.regWrites;
      break;
    case TraceEvent::Kind::Bulk:
      ++counters_.bulkTransfers;
      counters_.bulkBytes += event.length;
      break;
    case TraceEvent::Kind::Control:
      ++counters_.controlRequests;
      break;
    case TraceEvent::Kind::Failed:
      ++counters_.failedTransfers;
      break;
  }
  if (event.undecoded) ++counters_.undecodedAccesses;
  if (file_ != nullptr) {
    const std::string line = Format(event);
    std::fprintf(file_, "%s\n", line.c_str());
    std::fflush(file_);
  }
  if (recording_) events_.push_back(std::move(event));
}

void Trace::Clear() {
  events_.clear();
  counters_ = {};
}

std::vector<std::pair<uint16_t, uint32_t>> Trace::Writes(uint16_t from, uint16_t to) const {
  std::vector<std::pair<uint16_t, uint32_t>> writes;
  for (const auto& event : events_) {
    if (event.kind == TraceEvent::Kind::RegWrite && event.address >= from && event.address <= to) {
      writes.emplace_back(event.address, event.value);
    }
  }
  return writes;
}

std::vector<uint16_t> Trace::ReadAddresses() const {
  std::vector<uint16_t> reads;
  for (const auto& event : events_) {
    if (event.kind == TraceEvent::Kind::RegRead) reads.push_back(event.address);
  }
  return reads;
}

std::string Trace::Format(const TraceEvent& event) {
  char line[160];
  switch (event.kind) {
    case TraceEvent::Kind::RegRead:
      std::snprintf(line, sizeof line, "R %04X = %08X%s", event.address, event.value,
                    event.undecoded ? " (undecoded)" : "");
      break;
    case TraceEvent::Kind::RegWrite:
      std::snprintf(line, sizeof line, "W %04X = %08X%s", event.address, event.value,
                    event.undecoded ? " (undecoded)" : "");
      break;
    case TraceEvent::Kind::Bulk: {
      std::string head;
      for (size_t i = 0; i < event.head.size() && i < 16; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X", event.head[i]);
        head += byte;
      }
      std::snprintf(line, sizeof line, "B %" PRIu32 " bytes:%s", event.length, head.c_str());
      break;
    }
    case TraceEvent::Kind::Control:
      std::snprintf(line, sizeof line, "C %02X %02X value %04X", event.value >> 8, event.value & 0xFF,
                    event.address);
      break;
    case TraceEvent::Kind::Failed:
      std::snprintf(line, sizeof line, "F %04X (transfer failed)", event.address);
      break;
  }
  return line;
}

}  // namespace zev::sim
