// The qw77-vprinter executable as a whole: exit status, messages, signals and the files it
// leaves behind.
#include <gtest/gtest.h>
#include <png.h>

#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/inotify.h>

#include <filesystem>
#include <fstream>

#include "tests/TestPaths.h"
#include "tests/vprinter/ProcessRig.h"
#include "tests/vprinter/TcpClient.h"
#include "vprinter/paper/Canvas.h"
#include "vprinter/paper/Renderer.h"

namespace qw77::vprinter {
namespace {

using testing::RunVPrinter;
using testing::TempDir;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The height a PNG file's header gives, -1 when it is no PNG.
long PngHeight(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return -1;
  png_image_free(&image);
  return image.height;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A second run on the same folder goes on after the first one's tickets: nothing of the
// first run is written over.
TEST(RenderTest, ASecondRunKeepsTheFirstRunsTickets) {
  TempDir dir;
  const std::string golden = test::SourcePath("tests/vprinter/golden");
  const testing::Exit first =
      RunVPrinter({"--render", golden + "/ticket.bin", "--out", dir / "out", "--quiet"});
  ASSERT_EQ(first.code, 0) << first.err;
  const std::string kept = ReadBytes(dir / "out/ticket-0001.png");
  ASSERT_FALSE(kept.empty());
  const testing::Exit second =
      RunVPrinter({"--render", golden + "/receipt.bin", "--out", dir / "out", "--quiet"});
  ASSERT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(ReadBytes(dir / "out/ticket-0001.png"), kept);
  EXPECT_NE(second.out.find("ticket: " + (dir / "out/ticket-0002.png")), std::string::npos)
      << second.out;
}

// A log that cannot be written stops the start, as a folder for the tickets does.
TEST(RenderTest, ALogThatCannotBeWrittenStopsTheStart) {
  TempDir dir;
  WriteFile(dir / "in.bin", "ONE\n");
  const std::string log = dir / "no-such-folder/printer.log";
  const testing::Exit e =
      RunVPrinter({"--render", dir / "in.bin", "--out", dir / "out", "--log", log, "--quiet"});
  EXPECT_EQ(e.code, 2) << e.err;
  EXPECT_NE(e.err.find("cannot write the log " + log), std::string::npos) << e.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out/ticket-0001.png"));
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
  // A folder where the first ticket's picture is written before it takes its name: that
  // ticket cannot be saved, the second one can.
  std::filesystem::create_directories(dir / "out/ticket-0001.png.part");
  WriteFile(dir / "in.bin", "ONE\n\x1BJ\xE1TWO\n\x1BJ\xE1");
  const testing::Exit e =
      RunVPrinter({"--render", dir / "in.bin", "--out", dir / "out", "--quiet"});
  EXPECT_EQ(e.code, 1) << e.err;
  EXPECT_NE(e.err.find("ticket-0001.png"), std::string::npos) << e.err;
  EXPECT_NE(e.out.find("ticket: " + (dir / "out/ticket-0002.png")), std::string::npos) << e.out;
}

// Taller than a PNG may be (libpng refuses more than 1,000,000 rows): saved in numbered
// parts, none taller than a part, together as long as the paper fed, text at both ends.
TEST(RenderTest, AVeryTallTicketIsSavedInParts) {
  TempDir dir;
  const int line_feeds = 4000;  // 255 dots each
  WriteFile(dir / "in.bin",
            "\x1B\x33\xFF"
            "TOP" +
                std::string(line_feeds, '\n') + std::string("END\x1BJ\x00", 6));
  const testing::Exit e =
      RunVPrinter({"--render", dir / "in.bin", "--out", dir / "out", "--quiet"});
  ASSERT_EQ(e.code, 0) << e.err;
  std::vector<std::string> parts = {dir / "out/ticket-0001.png"};
  for (int k = 2;
       std::filesystem::exists(dir / ("out/ticket-0001-part" + std::to_string(k) + ".png")); ++k) {
    parts.push_back(dir / ("out/ticket-0001-part" + std::to_string(k) + ".png"));
  }
  long total = 0;
  for (const std::string& p : parts) {
    EXPECT_NE(e.out.find("ticket: " + p + "\n"), std::string::npos) << p;
    const long height = PngHeight(p);
    EXPECT_GT(height, 0) << p;
    EXPECT_LE(height, kMaxPartRows) << p;
    total += height;
  }
  for (const std::string& p : {parts.front(), parts.back()}) {
    Result<Canvas> c = Canvas::ReadPng(p);
    ASSERT_TRUE(c) << c.status().message();
    EXPECT_TRUE(c->inked()) << p;
  }
  EXPECT_GT(parts.size(), 10u);
  // The last line's height (24) instead of its spacing: the closing feed prints it.
  EXPECT_EQ(total, 255L * line_feeds + 24);
}

class UnwritableOutTest : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(RenderAndServe, UnwritableOutTest, ::testing::Bool());

// /proc exists and takes no file from anyone, root included. Neither mode starts: the
// server never says "ready", --render draws nothing.
TEST_P(UnwritableOutTest, RefusesToStart) {
  TempDir dir;
  WriteFile(dir / "in.bin", "HI\n\x1BJ\x10");
  std::vector<std::string> args = {"--out", "/proc", "--quiet"};
  if (GetParam()) {
    args.insert(args.end(), {"--render", dir / "in.bin"});
  } else {
    args.insert(args.end(), {"--no-serial", "--parallel-socket", dir / "lpt.sock"});
  }
  testing::VPrinterProcess p(args);
  const bool ready = p.WaitForLine("ready");
  if (ready) p.Signal(SIGTERM);
  const testing::Exit e = p.Wait();
  EXPECT_FALSE(ready) << e.out;
  EXPECT_EQ(e.code, 2);
  EXPECT_NE(e.err.find("cannot write to /proc"), std::string::npos) << e.err;
}

// Waits until a file whose name ends in `suffix` is made in `dir`.
bool AwaitFileIn(const std::string& dir, const std::string& suffix, testing::VPrinterProcess& p) {
  const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  const bool watching = fd >= 0 && inotify_add_watch(fd, dir.c_str(), IN_CREATE) >= 0;
  bool seen = false;
  for (int i = 0; watching && !seen && i < testing::kProcessLimitMs / 100; ++i) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) {
      if (kill(p.pid(), 0) != 0) break;
      continue;
    }
    alignas(inotify_event) char buf[4096];
    const ssize_t n = read(fd, buf, sizeof buf);
    for (ssize_t at = 0; at < n;) {
      const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
      const std::string name = ev->len ? ev->name : "";
      seen = seen || (name.size() > suffix.size() &&
                      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0);
      at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
    }
  }
  if (fd >= 0) close(fd);
  return seen;
}

// A stop while a picture is being written waits for it to be whole: no .part file is left,
// every picture there is complete, and the status says the file was not printed through.
TEST(RenderTest, ASignalLeavesNoPartialFile) {
  TempDir dir;
  std::filesystem::create_directories(dir / "out");
  WriteFile(dir / "in.bin", "\x1B\x33\xFFX" + std::string(4000, '\n') + "Y");
  testing::VPrinterProcess p({"--render", dir / "in.bin", "--out", dir / "out", "--quiet"});
  ASSERT_TRUE(AwaitFileIn(dir / "out", ".part", p));
  p.Signal(SIGTERM);
  const testing::Exit e = p.Wait();
  EXPECT_EQ(e.code, 128 + SIGTERM) << e.err;
  EXPECT_NE(e.err.find("interrupted"), std::string::npos) << e.err;
  int pictures = 0;
  for (const auto& f : std::filesystem::directory_iterator(dir / "out")) {
    EXPECT_EQ(f.path().extension(), ".png") << f.path();
    EXPECT_GT(PngHeight(f.path()), 0) << f.path();
    ++pictures;
  }
  EXPECT_GE(pictures, 1);
}

// All three interfaces at once; the TCP one on a port of the system's choosing, printed on
// its "tcp:" line, takes a ticket and answers a status request.
TEST(TcpProcessTest, ServesBesideTheOtherInterfaces) {
  TempDir dir;
  testing::VPrinterProcess p({"--serial-link", dir / "com1", "--parallel-socket", dir / "lpt",
                              "--tcp", "0", "--out", dir / "out"});
  ASSERT_TRUE(p.WaitForLine("ready"));
  const std::string prefix = "tcp: 127.0.0.1:";
  const std::size_t at = p.out().find(prefix);
  ASSERT_NE(at, std::string::npos) << p.out();
  const int fd = testing::ConnectTcp(std::stoi(p.out().substr(at + prefix.size())));
  ASSERT_GE(fd, 0);
  const std::string ticket = std::string("HI\n\x1BJ\x10\x10\x04\x01", 9);
  ASSERT_EQ(write(fd, ticket.data(), ticket.size()), ssize_t(ticket.size()));
  pollfd pfd{fd, POLLIN, 0};
  std::uint8_t reply = 0;
  ASSERT_EQ(poll(&pfd, 1, testing::kProcessLimitMs), 1);
  ASSERT_EQ(read(fd, &reply, 1), 1);
  EXPECT_EQ(reply, 0x12);
  close(fd);
  p.Signal(SIGTERM);
  const testing::Exit e = p.Wait();
  EXPECT_EQ(e.code, 0) << e.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "out/ticket-0001.png"));
  EXPECT_NE(e.out.find("tcp @3 ESC J n=16"), std::string::npos) << e.out;
}

struct StopCase {
  int sig;
  bool crash;  // the process dies of the signal, after removing its link
};

void PrintTo(const StopCase& c, std::ostream* os) {
  *os << strsignal(c.sig);
}

class SerialLinkStopTest : public ::testing::TestWithParam<StopCase> {};

INSTANTIATE_TEST_SUITE_P(Signals, SerialLinkStopTest,
                         ::testing::Values(StopCase{SIGINT, false}, StopCase{SIGTERM, false},
                                           StopCase{SIGHUP, false}, StopCase{SIGABRT, true}));

// However the printer ends, its link goes with it: a link left behind would lead the
// application to whatever terminal gets that number next.
TEST_P(SerialLinkStopTest, RemovesTheLink) {
  TempDir dir;
  testing::VPrinterProcess p(
      {"--serial-link", dir / "com1", "--out", dir / "out", "--quiet", "--idle-ms", "100"});
  ASSERT_TRUE(p.WaitForLine("ready"));
  ASSERT_TRUE(std::filesystem::is_symlink(dir / "com1"));
  p.Signal(GetParam().sig);
  const testing::Exit e = p.Wait();
  EXPECT_FALSE(e.hung);
  if (GetParam().crash) {
    EXPECT_EQ(e.signal, GetParam().sig) << e.err;
  } else {
    EXPECT_EQ(e.code, 0) << e.err;
  }
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "com1"));
  EXPECT_FALSE(std::filesystem::exists(dir / "com1.lock"));
}

}  // namespace
}  // namespace qw77::vprinter
