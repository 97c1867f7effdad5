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

std::string MarkLibraryLines(const std::string& output) {
  // One alternative per kind of announcement, each with one group for its marker:
  // the bring-up banner (it opens with a line feed of its own; the two lines after it
  // depend on the clock, and the slowest clock prints none of this), the pixel clock
  // of a mode set, and an EDID read that found no monitor answering on a bus.
  static const std::regex kLibraryBlock(
      R"(\n\*{29}\n\*   Set DDR2_CLK to ([0-9]+Mhz)  \*\n\*{29}\n)"
      R"((?: config_sys_clk\(\): [^\n]*\n)?(?: sysclk is [^\n]*\n)?)"
      R"(| Requested pixel clk = ([0-9]+)\n CLK_PIX_PLLOUT = [^\n]*\n DIVR1 = [^\n]*\n)"
      R"(  stage 1 pixpll = [^\n]*\n  stage 0 pixpll = [^\n]*\n)"
      R"(|(ERROR: VgaI2cReadByte\(\) failed w/ new assist, RawIntSts=0x[0-9A-F]+\n)"
      R"((?:[A-Z0-9_]+ *= 0x[0-9A-F]+\n)*ERROR:  VgaI2cReadEDID\(\) failed calling VgaI2cReadByte\(\), i=0\n))");
  std::string marked;
  auto last = output.cbegin();
  for (std::sregex_iterator it(output.begin(), output.end(), kLibraryBlock), end; it != end; ++it) {
    const std::smatch& match = *it;
    marked.append(last, match[0].first);
    if (match[1].matched) {
      marked += "<bring-up " + match[1].str() + ">";
    } else if (match[2].matched) {
      marked += "<pixel clock " + match[2].str() + ">";
    } else {
      marked += "<no EDID>";
    }
    last = match[0].second;
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
  run.dialogue = MarkLibraryLines(out);
  return run;
}

}  // namespace zev::e2e
