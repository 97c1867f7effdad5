#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_location.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdint>

namespace zev::dntest {

std::string AsFilePath(const std::string& path) {
  if (path.find('/') != std::string::npos) return path;
  return "./" + path;
}

std::string ProgramDirectory() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  const std::string program(buffer, static_cast<size_t>(length));
  const size_t slash = program.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : program.substr(0, slash);
}

std::vector<std::string> DefaultCandidates() {
  const std::string directory = ProgramDirectory();
  if (directory.empty()) return {};
  const std::string base = directory == "/" ? "" : directory;
  return {base + "/" + kLibraryFileName, base + "/../lib/" + kLibraryFileName};
}

std::vector<std::string> LoaderSearchDirectories() {
  std::vector<std::string> directories;
  void* program = dlopen(nullptr, RTLD_NOW);
  if (program == nullptr) return directories;
  Dl_serinfo size{};
  if (dlinfo(program, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
    // The loader fills the record and the strings it points to into one buffer.
    std::vector<uint64_t> storage((size.dls_size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    auto* info = reinterpret_cast<Dl_serinfo*>(storage.data());
    *info = size;
    if (dlinfo(program, RTLD_DI_SERINFOSIZE, info) == 0 && dlinfo(program, RTLD_DI_SERINFO, info) == 0) {
      for (unsigned i = 0; i < info->dls_cnt; ++i) directories.emplace_back(info->dls_serpath[i].dls_name);
    }
  }
  dlclose(program);
  return directories;
}

}  // namespace zev::dntest
