// End to end over a pseudo-terminal: the real termios control on one side, a small
// scripted printer on the other, the real clock between them.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "jobs/Actions.h"
#include "jobs/PrintAction.h"
#include "platform/posix/SteadyClock.h"
#include "platform/posix/TermiosSerialControl.h"
#include "tests/core/job_test_support.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

// The printer's end of a pseudo-terminal: records every byte it receives and answers
// DLE EOT n with its status byte n.
class PtyPrinter {
 public:
  explicit PtyPrinter(std::array<std::uint8_t, 5> replies) : replies_(replies) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slave_path_ = ::ptsname(master_);
    // Held open for the whole test so that the line stays up between the control's openings
    // and its settings stay raw.
    held_slave_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (held_slave_ >= 0 && ::tcgetattr(held_slave_, &raw) == 0) {
      ::cfmakeraw(&raw);
      (void)::tcsetattr(held_slave_, TCSANOW, &raw);
    }
    thread_ = std::thread([this] { Run(); });
  }
  ~PtyPrinter() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (held_slave_ >= 0) ::close(held_slave_);
    if (master_ >= 0) ::close(master_);
  }
  bool ok() const { return held_slave_ >= 0; }
  const std::string& device() const { return slave_path_; }

  // Waits (a bounded time) until `count` bytes have arrived; returns what has.
  Bytes WaitForBytes(std::size_t count) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (received_.size() >= count) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  void Run() {
    std::uint8_t previous[2] = {0, 0};
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0 || (p.revents & POLLIN) == 0) continue;
      std::uint8_t buffer[512];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      for (ssize_t i = 0; i < n; ++i) {
        const std::uint8_t b = buffer[i];
        {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.push_back(b);
        }
        if (previous[0] == 0x10 && previous[1] == 0x04 && b >= 1 && b <= 4) {
          (void)::write(master_, &replies_[b], 1);
        }
        previous[0] = previous[1];
        previous[1] = b;
      }
    }
  }

  std::array<std::uint8_t, 5> replies_;
  int master_ = -1;
  int held_slave_ = -1;
  std::string slave_path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  Bytes received_;
};

class SerialOverPty : public ::testing::Test {
 protected:
  void Start(std::array<std::uint8_t, 5> replies) {
    printer = std::make_unique<PtyPrinter>(replies);
    ASSERT_TRUE(printer->ok()) << "no pseudo-terminal available";
    TermiosOptions options;
    options.device = printer->device();
    com2 = std::make_unique<TermiosSerialControl>(2, options);
    Services s;
    s.serial = {&com1, com2.get(), &com3};
    s.parallel = {&lpt1, &lpt2};
    s.system = &system;
    s.clock = &clock;
    s.window = &window;
    frm = std::make_unique<FrmMenu>(s);
    frm->SerialBaud = "19200";
    frm->SerialParity = "N";
    frm->State().Select("OptCOM1");
  }

  std::string Buttons() {
    std::string out;
    for (const char* name : {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"}) {
      out += frm->State().Enabled(name) ? name[3] : '-';
    }
    return out;
  }

  ScopedTempDir dir;
  std::unique_ptr<PtyPrinter> printer;
  FakeSerialControl com1{1}, com3{3};
  std::unique_ptr<TermiosSerialControl> com2;
  FakeParallelLink lpt1, lpt2;
  FakeSystem system;
  SteadyClock clock;
  FakeWindowServices window;
  std::unique_ptr<FrmMenu> frm;
};

TEST_F(SerialOverPty, CheckStatusOverCom2ReadsTheAnsweringPrinter) {
  Start({0, 0x16, 0x12, 0x16, 0x12});  // reply 3: black mark (04h) beside the fixed bits
  CmdCheck_Click(*frm);
  const Bytes expected =
      Concat({kProbe, kProbe, kRequest[1], kRequest[2], kRequest[3], kRequest[4]});
  EXPECT_EQ(printer->WaitForBytes(expected.size()), expected);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(frm->State().Value("ChkBM"), 1);
  EXPECT_EQ(frm->State().Value("ChkHead"), 0);
  EXPECT_EQ(Buttons(), "R---C");
  EXPECT_FALSE(com2->IsOpen());
  EXPECT_TRUE(com1.log.empty());
  EXPECT_TRUE(com3.log.empty());
}

TEST_F(SerialOverPty, ASampleTicketOverCom2ArrivesByteForByte) {
  Start({0, 0x16, 0x12, 0x12, 0x12});
  Bytes ticket;
  system.on_start = [&](FakeSystem::Process& p) {
    if (p.argv.size() == 3 && p.argv[2] == "rm -f tempo.txt") {
      ticket = ReadSpool();
      std::filesystem::remove("tempo.txt");
    }
  };
  frm->State().SetText("TxtLines", "3");
  CmdPrint_Click(*frm);
  ASSERT_FALSE(ticket.empty());
  const Bytes expected = Concat({kProbe, ticket});
  EXPECT_EQ(printer->WaitForBytes(expected.size()), expected);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Buttons(), "RSPAC");
  EXPECT_FALSE(SpoolExists());
}

}  // namespace
}  // namespace qw77
