#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace zev::sim::host {

// The --trace file: every adapter's transfers and bus events as text lines, each
// line led by the adapter's number ("[2] R 0000 = 9D000001"). Writers are serialised
// by the bus lock.
class TraceFile {
 public:
  TraceFile() = default;
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // Creates (truncates) `path`. False with a message naming the file on failure.
  bool Open(const std::string& path, std::string* error);
  bool IsOpen() const { return file_ != nullptr; }
  // A stream for adapter `number` whose lines get its prefix (owned by this object).
  std::FILE* StreamFor(unsigned number);
  void Note(unsigned number, const std::string& text);

 private:
  struct Prefixed {
    TraceFile* owner;
    std::string prefix;
    bool atLineStart = true;
  };
  static ssize_t WritePrefixed(void* cookie, const char* data, size_t size);

  std::FILE* file_ = nullptr;
  std::vector<std::unique_ptr<Prefixed>> cookies_;
  std::vector<std::FILE*> streams_;
};

}  // namespace zev::sim::host
