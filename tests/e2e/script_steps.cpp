#include "tests/e2e/script_steps.h"

#include <cstdio>
#include <sstream>

namespace zev::e2e {

std::optional<uint32_t> Number(const std::string& text) {
  try {
    size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 0);
    if (used == text.size() && value <= UINT32_MAX) return static_cast<uint32_t>(value);
  } catch (...) {
  }
  return std::nullopt;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

namespace {
std::FILE* gTranscript = stdout;
}  // namespace

void SetTranscript(std::FILE* stream) { gTranscript = stream; }

void PrintLine(const std::string& line) {
  std::fprintf(gTranscript, "%s\n", line.c_str());
  std::fflush(gTranscript);
}

std::vector<std::string> CtlCommand(const std::vector<std::string>& words) {
  std::vector<std::string> argv = {ZEV_SIM_BIN, "ctl"};
  argv.insert(argv.end(), words.begin() + 1, words.end());
  return argv;
}

std::string CtlLine(const std::vector<std::string>& words, const ProcessResult& result) {
  std::string line = words[0];
  for (size_t i = 1; i < words.size(); ++i) line += " " + words[i];
  std::string reply = result.exitCode == 0 ? result.out : result.err;
  while (!reply.empty() && reply.back() == '\n') reply.pop_back();
  line += " -> " + reply;
  if (result.exitCode != 0) line += " [exit " + std::to_string(result.exitCode) + "]";
  return line;
}

int RunScript(int argc, char** argv, const char* program,
              const std::function<bool(const std::vector<std::string>&)>& step) {
  for (int i = 1; i < argc; ++i) {
    std::istringstream in(argv[i]);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty() || !step(words)) {
      std::fprintf(stderr, "%s: bad step '%s'\n", program, argv[i]);
      return 2;
    }
  }
  return 0;
}

}  // namespace zev::e2e
