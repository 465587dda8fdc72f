// A printer-class device behind LPT1 (usblp/lp), over a fake device: the register-level job
// sees the device's status in its parallel-port places, and a ticket goes out in a few
// transfers rather than one per byte.
#include <gtest/gtest.h>

#include <vector>

#include "jobs/ParallelJobs.h"
#include "platform/linux/UsbLp.h"
#include "tests/core/job_test_support.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

class FakeLpDevice : public LpDevice {
 public:
  explicit FakeLpDevice(std::string path) : path_(std::move(path)) {}
  int Open() override {
    open_ = true;
    return 0;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  long Write(std::span<const std::uint8_t> bytes) override {
    ++writes;
    const std::size_t n = std::min(bytes.size(), max_write);
    received.insert(received.end(), bytes.begin(), bytes.begin() + static_cast<long>(n));
    return static_cast<long>(n);
  }
  long Read(std::span<std::uint8_t>) override { return -EINVAL; }
  bool WaitWritable(int) override { return true; }
  std::optional<std::uint8_t> PortStatus() override { return status; }
  const std::string& Path() const override { return path_; }

  std::uint8_t status = 0x18;  // no error, selected
  std::size_t max_write = 1 << 20;
  int writes = 0;
  std::vector<std::uint8_t> received;

 private:
  std::string path_;
  bool open_ = false;
};

struct Lpt1OnDevice {
  explicit Lpt1OnDevice(const char* path) {
    auto device = std::make_unique<FakeLpDevice>(path);
    fake = device.get();
    access = std::make_unique<UsbLpPortAccess>(std::move(device));
    rig.frm->Svc().port_access = access.get();
    EXPECT_TRUE(access->InitializeWinIo());
    rig.state().Select("OptLPT1");
  }
  TestRig rig;
  FakeLpDevice* fake = nullptr;
  std::unique_ptr<UsbLpPortAccess> access;
};

// The printer class reports nERROR, SELECT and PAPER EMPTY; the lp driver the whole register.
TEST(UsbLpStatus, DecodesAsOnAParallelPort) {
  struct Case {
    const char* path;
    std::uint8_t lp_status;
    const char* boxes;  // Head Vp Cutter BM Temp Hard PNEnd
  } cases[] = {
      {"/dev/usb/lp0", 0x18, "0000000"},  // ready
      {"/dev/usb/lp0", 0x38, "1000000"},  // paper empty
      {"/dev/usb/lp0", 0x10, "0010000"},  // error line down: nACK idle high makes it 50h
      {"/dev/usb/lp0", 0x00, "0000100"},  // neither selected nor error-free
      {"/dev/lp0", 0xDF, "0000000"},      // the parallel register as it is
      {"/dev/lp0", 0x18, "0000001"},      // nACK low: paper near end
  };
  for (const Case& c : cases) {
    Lpt1OnDevice lpt(c.path);
    lpt.fake->status = c.lp_status;
    EXPECT_NE(RunInWindow(*lpt.rig.frm, CheckStatusParallel).end, JobEnd::kPortUnusable);
    EXPECT_EQ(CheckBoxes(lpt.rig), c.boxes) << c.path << " " << int{c.lp_status};
  }
}

TEST(UsbLpTransfer, A20KilobyteTicketTakesAFewWritesAndArrivesWhole) {
  ScopedTempDir dir;
  Lpt1OnDevice lpt("/dev/usb/lp0");
  lpt.fake->max_write = 1000;  // the device takes part of a transfer at a time
  std::vector<std::uint8_t> ticket(20 * 1024);
  for (std::size_t i = 0; i < ticket.size(); ++i) ticket[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(WriteSpoolFile(ticket).ok());
  const JobReport sent = RunInWindow(*lpt.rig.frm, SendSpoolParallel);
  EXPECT_EQ(sent.end, JobEnd::kDone);
  EXPECT_EQ(sent.bytes_sent, ticket.size());
  EXPECT_EQ(lpt.fake->received, ticket);
  EXPECT_LE(lpt.fake->writes, 50);
  EXPECT_TRUE(lpt.rig.window.messages.empty());
}

}  // namespace
}  // namespace qw77
