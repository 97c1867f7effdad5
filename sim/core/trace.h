#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zev::sim {

// One transfer as the virtual adapter saw it.
struct TraceEvent {
  enum class Kind : uint8_t {
    RegRead,   // vendor register read: address, value returned
    RegWrite,  // vendor register write: address, value written
    Bulk,      // bulk OUT packet: length, first bytes in `head`
    Control,   // standard control request: value = bmRequestType<<8 | bRequest, address = wValue
    Failed,    // a transfer refused by an injected fault or while unplugged
  };
  explicit TraceEvent(Kind k, uint16_t a = 0, uint32_t v = 0, uint32_t len = 0)
      : kind(k), address(a), value(v), length(len) {}

  Kind kind;
  uint16_t address = 0;
  uint32_t value = 0;
  uint32_t length = 0;
  std::vector<uint8_t> head;  // bulk packets: up to kBulkHeadBytes leading bytes
  bool undecoded = false;     // register access no unit decodes

  static constexpr size_t kBulkHeadBytes = 64;
};

struct TraceCounters {
  uint64_t regReads = 0;
  uint64_t regWrites = 0;
  uint64_t bulkTransfers = 0;
  uint64_t bulkBytes = 0;
  uint64_t controlRequests = 0;  // standard requests (descriptors, status, ...)
  uint64_t failedTransfers = 0;
  uint64_t undecodedAccesses = 0;
  uint64_t Transfers() const { return regReads + regWrites + bulkTransfers + controlRequests; }
};

// Every transfer the adapter handled, in order, plus counters. Recording events can be
// switched off (benchmarks) while the counters keep counting; events can also be
// streamed to a file as text lines.
class Trace {
 public:
  void Record(TraceEvent event);
  void SetRecording(bool on) { recording_ = on; }
  // Streams every event to `file` as a text line (null stops it). Not owned.
  void SetFile(std::FILE* file) { file_ = file; }

  const std::vector<TraceEvent>& Events() const { return events_; }
  const TraceCounters& Counters() const { return counters_; }
  void Clear();

  // Register writes only, as (address, value) pairs, optionally within [from, to].
  std::vector<std::pair<uint16_t, uint32_t>> Writes(uint16_t from = 0, uint16_t to = 0xFFFF) const;
  std::vector<uint16_t> ReadAddresses() const;

  static std::string Format(const TraceEvent& event);

 private:
  bool recording_ = true;
  std::FILE* file_ = nullptr;
  std::vector<TraceEvent> events_;
  TraceCounters counters_;
};

}  // namespace zev::sim
