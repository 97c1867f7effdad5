#include "sim/host/child_environment.h"

#include <cstdlib>
#include <map>

#include "sim/host/ctl_client.h"

extern char** environ;

namespace zev::sim::host {
namespace {

// Resolved by the dynamic loader from its usual directories.
constexpr const char* kPreloadLibrary = "libumockdev-preload.so.0";

}  // namespace

std::string WithUmockdevPreload(const std::string& preload) {
  if (preload.find("libumockdev-preload") != std::string::npos) return preload;
  return preload.empty() ? kPreloadLibrary : std::string(kPreloadLibrary) + ":" + preload;
}

std::string WithAsanLinkOrderCheckOff(const std::string& options) {
  if (options.find("verify_asan_link_order") != std::string::npos) return options;
  return options.empty() ? "verify_asan_link_order=0" : options + ":verify_asan_link_order=0";
}

std::vector<std::string> ChildEnvironment(const std::string& testbedDir, const std::string& controlSocket) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  variables["UMOCKDEV_DIR"] = testbedDir;
  variables[kControlSocketVariable] = controlSocket;
  variables["LD_PRELOAD"] = WithUmockdevPreload(variables["LD_PRELOAD"]);
  variables["ASAN_OPTIONS"] = WithAsanLinkOrderCheckOff(variables["ASAN_OPTIONS"]);

  std::vector<std::string> environment;
  for (const auto& [name, value] : variables) environment.push_back(name + "=" + value);
  return environment;
}

}  // namespace zev::sim::host
