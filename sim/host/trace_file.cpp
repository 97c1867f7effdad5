#include "sim/host/trace_file.h"

#include <cerrno>
#include <cstring>

namespace zev::sim::host {

TraceFile::~TraceFile() {
  for (std::FILE* stream : streams_) std::fclose(stream);
  if (file_ != nullptr) std::fclose(file_);
}

bool TraceFile::Open(const std::string& path, std::string* error) {
  file_ = std::fopen(path.c_str(), "we");
  if (file_ == nullptr) {
    *error = "cannot write trace file '" + path + "': " + std::strerror(errno);
    return false;
  }
  return true;
}

std::FILE* TraceFile::StreamFor(unsigned number) {
  if (file_ == nullptr) return nullptr;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "[%u] ", number);
  cookies_.push_back(std::make_unique<Prefixed>(Prefixed{this, prefix}));
  cookie_io_functions_t io{};
  io.write = &TraceFile::WritePrefixed;
  std::FILE* stream = fopencookie(cookies_.back().get(), "w", io);
  if (stream != nullptr) streams_.push_back(stream);
  return stream;
}

void TraceFile::Note(unsigned number, const std::string& text) {
  if (file_ == nullptr) return;
  std::fprintf(file_, "[%u] %s\n", number, text.c_str());
  std::fflush(file_);
}

ssize_t TraceFile::WritePrefixed(void* cookie, const char* data, size_t size) {
  auto* prefixed = static_cast<Prefixed*>(cookie);
  std::FILE* out = prefixed->owner->file_;
  for (size_t i = 0; i < size; ++i) {
    if (prefixed->atLineStart) std::fputs(prefixed->prefix.c_str(), out);
    std::fputc(data[i], out);
    prefixed->atLineStart = data[i] == '\n';
  }
  std::fflush(out);
  return static_cast<ssize_t>(size);
}

}  // namespace zev::sim::host
