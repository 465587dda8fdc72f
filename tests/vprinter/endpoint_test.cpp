#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/factory/PlatformFactory.h"
#include "platform/posix/VPrinterParallelLink.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/endpoints/Server.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::TempDir;

// Rounds of the printer's loop allowed for an answer: generous, so only a printer that
// never answers fails; a silent printer is checked through its log instead of a clock.
constexpr int kRounds = 500;

// Opens the port the way the application's serial control does: exclusive, locked, raw.
int OpenLikeTheApplication(const std::string& path, speed_t speed) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (ioctl(fd, TIOCEXCL) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

struct SerialRig {
  explicit SerialRig(Faults faults = {}) : rig({}, faults), server(rig.printer) {
    const Status s = server.OpenSerial({dir / "com1", 0, true});
    EXPECT_TRUE(s.ok()) << s.message();
  }
  // Serves until `fd` has a byte to read or the rounds run out.
  std::vector<std::uint8_t> Answer(int fd) {
    std::vector<std::uint8_t> got;
    for (int i = 0; i < kRounds && got.empty(); ++i) {
      server.RunOnce(10000);
      std::uint8_t buf[16];
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) got.assign(buf, buf + n);
    }
    return got;
  }
  void ServeUntil(const std::function<bool()>& done) {
    for (int i = 0; i < kRounds && !done(); ++i) server.RunOnce(10000);
  }
  TempDir dir;
  testing::PrinterRig rig;
  Server server;
};

TEST(SerialEndpointTest, AnswersTheProbeOverARealTerminal) {
  SerialRig s;
  ASSERT_NE(s.server.serial(), nullptr);
  EXPECT_EQ(std::filesystem::read_symlink(s.dir / "com1"), s.server.serial()->device_path());
  const int fd = OpenLikeTheApplication(s.dir / "com1", B38400);
  ASSERT_GE(fd, 0) << "the printer's own descriptor must not keep the application out";
  ASSERT_EQ(write(fd, "\r\x10\x04\x01\r", 5), 5);
  EXPECT_EQ(s.Answer(fd), Bytes({0x12}));
  EXPECT_EQ(s.server.serial()->PacingBaud(), 38400) << "paced at the rate the line was set to";
  close(fd);
}

// The application opens and closes the port for every job; the terminal must survive
// that, and the exclusive mode of one job must not lock out the next.
TEST(SerialEndpointTest, SurvivesTheApplicationsOpenAndClose) {
  SerialRig s;
  for (int job = 0; job < 3; ++job) {
    const int fd = OpenLikeTheApplication(s.dir / "com1", B9600);
    ASSERT_GE(fd, 0) << "job " << job;
    ASSERT_EQ(write(fd, "\x10\x04\x04\r", 4), 4);
    EXPECT_EQ(s.Answer(fd), Bytes({0x12})) << "job " << job;
    close(fd);
    s.ServeUntil([&] {
      const int probe = open((s.dir / "com1").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      int exclusive = 1;
      ioctl(probe, TIOCGEXCL, &exclusive);
      close(probe);
      return exclusive == 0;
    });
  }
  EXPECT_FALSE(s.server.serial()->hung_up());
}

TEST(SerialEndpointTest, SilentPrinterReadsTheRequestAndSendsNothing) {
  SerialRig s(Faults{.silent = true});
  const int fd = OpenLikeTheApplication(s.dir / "com1", B38400);
  ASSERT_EQ(write(fd, "\r\x10\x04\x01\r", 5), 5);
  s.ServeUntil([&] { return s.rig.status.requests_seen() == 1; });
  EXPECT_EQ(s.rig.status.requests_seen(), 1);
  s.server.RunOnce(0);
  std::uint8_t b = 0;
  EXPECT_EQ(read(fd, &b, 1), -1);
  close(fd);
}

TEST(SerialEndpointTest, HangsUpAfterTheGivenBytes) {
  SerialRig s(Faults{.hang_up_after_bytes = 5});
  const int fd = OpenLikeTheApplication(s.dir / "com1", B38400);
  ASSERT_EQ(write(fd, "\r\x10\x04\x01\rHELLO", 10), 10);
  s.ServeUntil([&] { return s.server.serial()->hung_up(); });
  ASSERT_TRUE(s.server.serial()->hung_up());
  EXPECT_EQ(s.server.serial()->bytes_received(), 5);
  // The application sees the line gone, and the link no longer leads to the terminal,
  // whose number the system may give to another program.
  EXPECT_LT(write(fd, "X", 1), 1);
  close(fd);
  EXPECT_FALSE(std::filesystem::is_symlink(s.dir / "com1"));
}

TEST(SerialEndpointTest, StallStopsReadingAfterTheFirstReply) {
  SerialRig s(Faults{.stall_after_reply = true});
  const int fd = OpenLikeTheApplication(s.dir / "com1", B38400);
  ASSERT_EQ(write(fd, "\r\x10\x04\x01\r", 5), 5);
  EXPECT_EQ(s.Answer(fd), Bytes({0x12}));
  EXPECT_TRUE(s.server.serial()->stalled());
  // The line is held: the sender cannot put a byte on it.
  EXPECT_EQ(write(fd, "MORE", 4), -1);
  EXPECT_EQ(errno, EAGAIN);
  close(fd);
}

TEST(SerialEndpointTest, RefusesToReplaceSomethingThatIsNotALink) {
  TempDir dir;
  testing::PrinterRig rig;
  Server server(rig.printer);
  { std::ofstream(dir / "com1") << "keep me"; }
  const Status s = server.OpenSerial({dir / "com1", 0, true});
  EXPECT_FALSE(s.ok());
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "com1"));
}

TEST(SerialEndpointTest, RefusesALinkThatALivePrinterOwns) {
  SerialRig first;
  testing::PrinterRig rig;
  Server second(rig.printer);
  const Status s = second.OpenSerial({first.dir / "com1", 0, true});
  EXPECT_EQ(s.code(), ErrorCode::kBusy) << s.message();
  EXPECT_NE(s.message().find("another printer"), std::string::npos) << s.message();
  EXPECT_EQ(std::filesystem::read_symlink(first.dir / "com1"),
            first.server.serial()->device_path());
}

// A printer that was killed leaves its link (and its lock file) behind, owned by nobody.
TEST(SerialEndpointTest, TakesOverALinkLeftByAPrinterThatIsGone) {
  TempDir dir;
  std::filesystem::create_symlink("/dev/pts/999999", dir / "com1");
  { std::ofstream(dir / "com1.lock") << "1\n"; }
  testing::PrinterRig rig;
  Server server(rig.printer);
  const Status s = server.OpenSerial({dir / "com1", 0, true});
  ASSERT_TRUE(s.ok()) << s.message();
  EXPECT_EQ(std::filesystem::read_symlink(dir / "com1"), server.serial()->device_path());
}

struct ParallelRig {
  ParallelRig() : server(rig.printer) {
    const Status s = server.OpenParallel(dir / "lpt.sock");
    EXPECT_TRUE(s.ok()) << s.message();
    thread = std::thread([this] { server.Run(); });
  }
  ~ParallelRig() { Stop(); }
  void Stop() {
    if (!thread.joinable()) return;
    server.Stop();
    thread.join();
  }
  TempDir dir;
  testing::PrinterRig rig;
  Server server;
  std::thread thread;
};

TEST(ParallelEndpointTest, TheApplicationsLinkPrintsThroughTheSocket) {
  ParallelRig p;
  struct stat st {};
  ASSERT_EQ(stat((p.dir / "lpt.sock").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  auto link = MakeVPrinterLink(p.dir / "lpt.sock");
  EXPECT_FALSE(link->Present());
  ASSERT_TRUE(link->Open().ok());
  EXPECT_TRUE(link->Present());
  Result<ParallelStatusLines> status = link->ReadStatus();
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(*status, (ParallelStatusLines{.select = true}));  // ready, on line, no fault
  for (std::uint8_t b : Bytes("HI\n\x1BJ\x10")) {
    ASSERT_TRUE(link->WriteData(b).ok());
    ASSERT_TRUE(link->SetControl({.strobe = true, .select_in = true}).ok());
    ASSERT_TRUE(link->SetControl({.select_in = true}).ok());
  }
  link->Close();
  EXPECT_FALSE(link->Present());
  p.Stop();

  std::vector<std::string> lines;
  for (const LogEntry& e : p.rig.Commands()) lines.push_back(e.command + " " + e.params);
  EXPECT_EQ(lines, (std::vector<std::string>{"TEXT \"HI\"", "LF ", "ESC J n=16"}));
  EXPECT_EQ(p.rig.printer.tickets().size(), 1u);
}

TEST(ParallelEndpointTest, ChosenThroughThePortMapsEndpoint) {
  ParallelRig p;
  qw77::Endpoint printer;
  printer.kind = EndpointKind::kVPrinter;
  printer.path = p.dir / "lpt.sock";
  qw77::Endpoint serial;  // a serial device
  auto links = MakeParallelLinks(printer, serial);
  const Status opened = links[0]->Open();
  ASSERT_TRUE(opened.ok()) << opened.message();
  Result<ParallelStatusLines> status = links[0]->ReadStatus();
  ASSERT_TRUE(status.ok());
  EXPECT_FALSE(status->busy);
  // A serial device is no parallel port: that link says so when it is opened.
  const Status refused = links[1]->Open();
  EXPECT_NE(refused.message().find("cannot be reached through a parallel port"), std::string::npos)
      << refused.message();
}

TEST(ParallelEndpointTest, NoPrinterNoLink) {
  TempDir dir;
  auto link = MakeVPrinterLink(dir / "absent.sock");
  const Status opened = link->Open();
  EXPECT_NE(opened.message().find("absent.sock"), std::string::npos);
  EXPECT_FALSE(link->Present());
  EXPECT_FALSE(link->ReadStatus().ok());
}

TEST(ParallelEndpointTest, APrinterThatGoesAwayRefusesFurtherAccess) {
  auto p = std::make_unique<ParallelRig>();
  auto link = MakeVPrinterLink(p->dir / "lpt.sock");
  ASSERT_TRUE(link->Open().ok());
  p.reset();
  EXPECT_FALSE(link->ReadStatus().ok());
  EXPECT_FALSE(link->WriteData(0x41).ok());
  // Still the port of the open link: the window reports a refused access, not a missing port.
  EXPECT_TRUE(link->Present());
}

}  // namespace
}  // namespace qw77::vprinter
