#include "tests/e2e/exerciser_support.h"

#include <regex>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

const std::string kAfterMarker = "--- after the exerciser ---\n";

}  // namespace

std::string ShellQuote(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string MarkBringUps(const std::string& output) {
  // The banner opens with a line feed of its own; the two lines after it depend on the
  // clock (the slowest clock prints none of this).
  static const std::regex kBringUp(
      "\n\\*{29}\n\\*   Set DDR2_CLK to ([0-9]+Mhz)  \\*\n\\*{29}\n"
      "( config_sys_clk\\(\\): [^\n]*\n)?( sysclk is [^\n]*\n)?");
  std::string marked;
  auto last = output.cbegin();
  for (std::sregex_iterator it(output.begin(), output.end(), kBringUp), end; it != end; ++it) {
    marked.append(last, (*it)[0].first);
    marked += "<bring-up " + (*it)[1].str() + ">";
    last = (*it)[0].second;
  }
  marked.append(last, output.cend());
  return marked;
}

ExerciserRun RunExerciser(const std::vector<std::string>& simOptions, const std::string& input,
                          const std::vector<std::string>& args, const std::string& after) {
  std::vector<std::string> argv = {ZEV_SIM_BIN};
  argv.insert(argv.end(), simOptions.begin(), simOptions.end());
  argv.push_back("--");
  if (after.empty()) {
    argv.push_back(ZEVLIBDNTEST_BIN);
    argv.insert(argv.end(), args.begin(), args.end());
  } else {
    argv.insert(argv.end(), {"sh", "-c",
                             "\"$0\" \"$@\"; status=$?; printf '%s' '" + kAfterMarker + "'; " + after + "; exit $status",
                             ZEVLIBDNTEST_BIN});
    argv.insert(argv.end(), args.begin(), args.end());
  }
  ExerciserRun run;
  run.process = RunProcessWithInput(argv, input, kRunTimeout);
  std::string out = run.process.out;
  if (const size_t marker = out.find(kAfterMarker); !after.empty() && marker != std::string::npos) {
    run.after = out.substr(marker + kAfterMarker.size());
    out.resize(marker);
  }
  run.dialogue = MarkBringUps(out);
  return run;
}

}  // namespace zev::e2e
