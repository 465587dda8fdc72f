// The qw77-vprinter executable as a whole: exit status, messages, signals and the files it
// leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/vprinter/ProcessRig.h"

namespace qw77::vprinter {
namespace {

using testing::RunVPrinter;
using testing::TempDir;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class RenderInputTest : public ::testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(Refused, RenderInputTest, ::testing::Values("", "absent.bin"));

// A folder (the empty name) or a file that is not there: a reason and status 2, no abort.
TEST_P(RenderInputTest, IsRefusedWithAReason) {
  TempDir dir;
  const std::string input = dir / GetParam();
  const testing::Exit e = RunVPrinter({"--render", input, "--out", dir / "out", "--quiet"});
  EXPECT_EQ(e.signal, 0) << e.err;
  EXPECT_EQ(e.code, 2) << e.err;
  EXPECT_NE(e.err.find(input), std::string::npos) << e.err;
}

TEST(RenderTest, ATicketThatCannotBeSavedMakesTheStatusNonZero) {
  TempDir dir;
  // A folder where the first ticket's picture would go: that ticket cannot be saved, the
  // second one can.
  std::filesystem::create_directories(dir / "out/ticket-0001.png");
  WriteFile(dir / "in.bin", "ONE\n\x1BJ\x10TWO\n\x1BJ\x10");
  const testing::Exit e =
      RunVPrinter({"--render", dir / "in.bin", "--out", dir / "out", "--quiet"});
  EXPECT_EQ(e.code, 1) << e.err;
  EXPECT_NE(e.err.find("ticket-0001.png"), std::string::npos) << e.err;
  EXPECT_NE(e.out.find("ticket: " + (dir / "out/ticket-0002.png")), std::string::npos) << e.out;
}

}  // namespace
}  // namespace qw77::vprinter
