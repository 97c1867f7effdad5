// Where the console exerciser takes libzevutil.so from: the file named by --library or
// ZEV_LIBRARY, else next to the program or in ../lib of it, else the system's library
// path - but never a library that happens to sit in the current directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/exerciser_dialogue.h"
#include "tests/e2e/exerciser_support.h"

namespace zev::e2e {
namespace {

namespace fs = std::filesystem;
using namespace dialogue;
using ::testing::HasSubstr;

// A copy of the exerciser in <root>/bin without a library beside it, and a copy of the
// library in <root>/cwd, the directory the exerciser runs in.
class LibrarySearch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "exerciser_search_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "cwd");
    fs::copy_file(ZEVLIBDNTEST_BIN, Program());
    fs::copy_file(ZEVLIBDNTEST_LIBRARY, root_ / "cwd" / "libzevutil.so");
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Program() const { return (root_ / "bin" / "ZEVLibDnTest").string(); }

  // The copied exerciser run from <root>/cwd under zev-sim, with the environment
  // entries and arguments given, entering the DRAM menu to show its size.
  ProcessResult Run(const std::string& environment, const std::string& arguments) {
    const std::string command = "cd " + ShellQuote((root_ / "cwd").string()) + " && " + environment + " exec " +
                                ShellQuote(Program()) + " " + arguments;
    return RunProcessWithInput({ZEV_SIM_BIN, "--", "sh", "-c", command}, "2\n1\n9\n6\n", kRunTimeout);
  }

  fs::path root_;
};

const std::string kLoadedAndAsked = "DRAM Size = 33554431 \n";

// Empty and relative entries of LD_LIBRARY_PATH mean the current directory.
TEST_F(LibrarySearch, LibraryInTheCurrentDirectoryIsNotTaken) {
  for (const std::string searchPath : {"", ".", ":/nonexistent", "../cwd"}) {
    const ProcessResult result = Run("LD_LIBRARY_PATH=" + ShellQuote(searchPath), "");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Choice 2 and then 1 fail to load; 9 ends the program.
    const std::string failedLoad = MainMenu() + kAfterMainChoice + kLoadFailed;
    EXPECT_EQ(result.out, Note() + failedLoad + failedLoad + MainMenu() + kAfterMainChoice)
        << "LD_LIBRARY_PATH='" << searchPath << "'";
    if (!searchPath.empty()) {
      EXPECT_THAT(result.err, HasSubstr("refusing")) << searchPath;
    }
  }
}

TEST_F(LibrarySearch, NamedLibraryIsTaken) {
  // A bare name given on purpose means the file in the current directory.
  for (const auto& [environment, arguments] : std::vector<std::pair<std::string, std::string>>{
           {"", "--library libzevutil.so"},
           {"", "--library=./libzevutil.so"},
           {"ZEV_LIBRARY=libzevutil.so", ""},
           {"ZEV_LIBRARY=/nonexistent/libzevutil.so", "--library libzevutil.so"}}) {
    const ProcessResult result = Run(environment, arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(kLoadedAndAsked)) << environment << " " << arguments << "\n" << result.err;
  }
}

TEST_F(LibrarySearch, NamedLibraryThatIsMissingIsReported) {
  const ProcessResult result = Run("", "--library /nonexistent/libzevutil.so");
  EXPECT_THAT(result.out, HasSubstr(kLoadFailed));
  EXPECT_THAT(result.err, HasSubstr("/nonexistent/libzevutil.so"));
}

// Installed, the program sits in bin/ and the library in lib/.
TEST_F(LibrarySearch, InstalledLayoutIsFound) {
  fs::create_directories(root_ / "lib");
  fs::rename(root_ / "cwd" / "libzevutil.so", root_ / "lib" / "libzevutil.so");
  const ProcessResult result = Run("", "");
  EXPECT_THAT(result.out, HasSubstr(kLoadedAndAsked)) << result.err;
}

TEST_F(LibrarySearch, LibraryNextToTheProgramComesFirst) {
  fs::create_directories(root_ / "lib");
  fs::copy_file(root_ / "cwd" / "libzevutil.so", root_ / "bin" / "libzevutil.so");
  // A file in ../lib that is no library: taking it would fail the load.
  std::ofstream(root_ / "lib" / "libzevutil.so") << "not a library";
  const ProcessResult result = Run("", "");
  EXPECT_THAT(result.out, HasSubstr(kLoadedAndAsked)) << result.err;
}

}  // namespace
}  // namespace zev::e2e
