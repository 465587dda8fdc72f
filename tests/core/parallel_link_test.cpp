// The parallel links below the window: the register bytes the kernel's drivers and the
// virtual printer's socket speak, the choice of the kernel's ports, and opening them.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include "platform/ParallelRegisters.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/linux/PpdevLink.h"
#include "platform/posix/TermiosSerialControl.h"
#include "platform/posix/VPrinterParallelLink.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

namespace fs = std::filesystem;

// A /proc tree with the parallel ports the test names, plus the clutter a real one has.
void MakeParport(const fs::path& proc, const std::string& name, const std::string& base_addr) {
  const fs::path dir = proc / "sys" / "dev" / "parport" / name;
  fs::create_directories(dir);
  if (!base_addr.empty()) std::ofstream(dir / "base-addr") << base_addr;
}

TEST(ParportBase, ParsesTheFirstDecimalNumber) {
  struct Case {
    const char* text;
    std::optional<std::uint16_t> base;
  };
  const Case cases[] = {
      {"888\t1912\n", 0x378},     {"956\t1980\n", 0x3BC},
      {"53264\t53248\n", 0xD010}, {"632", 0x278},
      {"0\t0\n", std::nullopt},   {"", std::nullopt},
      {"0x378\n", std::nullopt},  {"65536\t0\n", std::nullopt},
      {"-1\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseParportBase(c.text), c.base) << c.text;
}

TEST(ParportList, OrderedByIndexSkippingWhatIsNotAPort) {
  testing::ScopedTempDir tmp;
  const fs::path proc = tmp.path() / "proc";
  EXPECT_TRUE(ListParports(proc).empty());  // no parport folder: no ports
  MakeParport(proc, "parport1", "53264\t53248\n");
  MakeParport(proc, "parport0", "888\t1912\n");
  MakeParport(proc, "default", "");
  MakeParport(proc, "parport2", "");  // no base-addr to read
  MakeParport(proc, "parportx", "632\n");
  EXPECT_EQ(ListParports(proc), (std::vector<ParportInfo>{{0, 0x378}, {1, 0xD010}}));
}

TEST(ParportChoice, PositionTakesTheNthListedAndIndexItsOwnNumber) {
  const std::vector<ParportInfo> ports = {{0, 0x378}, {2, 0x278}};
  struct Case {
    ParportChoice choice;
    std::optional<int> index;  // of the port taken
  };
  const Case cases[] = {
      {{ParportChoice::kPosition, 0}, 0},  {{ParportChoice::kPosition, 1}, 2},
      {{ParportChoice::kPosition, 2}, {}}, {{ParportChoice::kPosition, -1}, {}},
      {{ParportChoice::kIndex, 2}, 2},     {{ParportChoice::kIndex, 1}, {}},
  };
  for (const Case& c : cases) {
    const std::optional<ParportInfo> taken = ChooseParport(ports, c.choice);
    ASSERT_EQ(taken.has_value(), c.index.has_value()) << c.choice.kind << " " << c.choice.number;
    if (taken) {
      EXPECT_EQ(taken->index, *c.index);
    }
  }
  EXPECT_FALSE(ChooseParport({}, {ParportChoice::kPosition, 0}));
}

// Each status bit alone, so that a line read from the wrong bit or with the wrong polarity
// shows; 0x07 carries no line.
TEST(ParallelRegisters, StatusBitsToLines) {
  struct Case {
    std::uint8_t status;
    ParallelStatusLines lines;
  };
  const ParallelStatusLines all_low{.busy = true, .acknowledge = true, .error = true};
  const Case cases[] = {
      {0x00, all_low},
      {0x07, all_low},
      {0x08, {.busy = true, .acknowledge = true}},
      {0x10, {.busy = true, .acknowledge = true, .select = true, .error = true}},
      {0x20, {.busy = true, .acknowledge = true, .paper_end = true, .error = true}},
      {0x40, {.busy = true, .error = true}},
      {0x80, {.acknowledge = true, .error = true}},
      {0xDF, {.select = true}},
  };
  for (const Case& c : cases) EXPECT_EQ(StatusFromRegister(c.status), c.lines) << int{c.status};
}

TEST(ParallelRegisters, LinesToControlBits) {
  struct Case {
    ParallelControlLines lines;
    std::uint8_t control;
  };
  const Case cases[] = {
      {{}, 0xC4},
      {{.strobe = true}, 0xC5},
      {{.auto_feed = true}, 0xC6},
      {{.init = true}, 0xC0},
      {{.select_in = true}, 0xCC},
      {{.strobe = true, .select_in = true}, 0xCD},  // a strobe as the jobs send it
  };
  for (const Case& c : cases) EXPECT_EQ(ControlRegister(c.lines), c.control) << int{c.control};
}

TEST(PpdevLink, APortTheKernelDoesNotListIsAbsent) {
  testing::ScopedTempDir tmp;
  PpdevLink link({ParportChoice::kPosition, 0}, tmp.path() / "proc", tmp.path() / "dev");
  EXPECT_FALSE(link.ReadStatus().ok());  // not open
  ASSERT_TRUE(link.Open().ok());
  EXPECT_FALSE(link.Present());
  EXPECT_EQ(link.ReadStatus().status().code(), ErrorCode::kNotOpen);
  EXPECT_FALSE(link.WriteData(0x41).ok());
  link.Close();
}

TEST(PpdevLink, APortThatCannotBeOpenedOrClaimedFailsTheOpen) {
  testing::ScopedTempDir tmp;
  const fs::path proc = tmp.path() / "proc";
  const fs::path dev = tmp.path() / "dev";
  MakeParport(proc, "parport0", "888\t1912\n");
  fs::create_directories(dev);

  PpdevLink missing({ParportChoice::kIndex, 0}, proc, dev);
  const Status not_there = missing.Open();
  EXPECT_EQ(not_there.code(), ErrorCode::kNotFound);
  EXPECT_NE(not_there.message().find("parport0"), std::string::npos);
  EXPECT_FALSE(missing.Present());

  std::ofstream(dev / "parport0") << "not a device";
  PpdevLink unclaimable({ParportChoice::kPosition, 0}, proc, dev);
  const Status not_claimed = unclaimable.Open();
  EXPECT_NE(not_claimed.message().find("claim"), std::string::npos) << not_claimed.message();
  EXPECT_FALSE(unclaimable.Present());
}

// Needs a real parallel port: QW77_TEST_PARPORT=/dev/parport0.
TEST(PpdevLink, RealPort) {
  const char* device = std::getenv("QW77_TEST_PARPORT");
  if (device == nullptr || *device == '\0') GTEST_SKIP() << "QW77_TEST_PARPORT not set";
  PpdevLink link({ParportChoice::kPosition, 0});
  const Status opened = link.Open();
  ASSERT_TRUE(opened.ok()) << opened.message();
  ASSERT_TRUE(link.Present());
  EXPECT_TRUE(link.ReadStatus().ok());
  EXPECT_TRUE(link.SetControl({.select_in = true}).ok());
  link.Close();
}

// A listener in place of the virtual printer: it answers every request with its value and
// keeps the bytes it was sent.
struct SocketRecorder {
  explicit SocketRecorder(const fs::path& path) {
    listen_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    EXPECT_EQ(bind(listen_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(listen(listen_fd, 1), 0);
    thread = std::thread([this] {
      const int fd = accept(listen_fd, nullptr, nullptr);
      std::uint8_t request[3];
      while (recv(fd, request, sizeof request, MSG_WAITALL) == 3) {
        received.insert(received.end(), request, request + 3);
        const std::uint8_t answer = request[0] == 'R' ? 0x5F : request[2];  // busy, on line
        (void)send(fd, &answer, 1, MSG_NOSIGNAL);
      }
      close(fd);
    });
  }
  ~SocketRecorder() {
    if (thread.joinable()) thread.join();
    close(listen_fd);
  }
  int listen_fd = -1;
  std::thread thread;
  std::vector<std::uint8_t> received;
};

TEST(VPrinterLink, SpeaksTheRegisterProtocolByteForByte) {
  testing::ScopedTempDir tmp;
  SocketRecorder printer(tmp.path() / "lpt.sock");
  std::unique_ptr<ParallelLink> link = MakeVPrinterLink(tmp.path() / "lpt.sock");
  ASSERT_TRUE(link->Open().ok());
  Result<ParallelStatusLines> status = link->ReadStatus();
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(*status, (ParallelStatusLines{.busy = true, .select = true}));
  ASSERT_TRUE(link->WriteData(0x41).ok());
  ASSERT_TRUE(link->SetControl({.strobe = true, .select_in = true}).ok());
  ASSERT_TRUE(link->SetControl({.select_in = true}).ok());
  link->Close();
  printer.thread.join();
  EXPECT_EQ(printer.received,
            (std::vector<std::uint8_t>{'R', 1, 0, 'W', 0, 0x41, 'W', 2, 0xCD, 'W', 2, 0xCC}));
}

Endpoint At(EndpointKind kind, std::string path) {
  Endpoint endpoint;
  endpoint.kind = kind;
  endpoint.path = std::move(path);
  return endpoint;
}

TEST(PlatformFactory, LinksForTheMapsEndpoints) {
  auto plain = MakeParallelLinks(At(EndpointKind::kPpdev, "/dev/parport0"),
                                 At(EndpointKind::kPpdev, "/dev/parport1"));
  EXPECT_NE(dynamic_cast<PpdevLink*>(plain[0].get()), nullptr);
  EXPECT_NE(dynamic_cast<PpdevLink*>(plain[1].get()), nullptr);
  auto odd = MakeParallelLinks(At(EndpointKind::kPpdev, "/dev/lp0"), At(EndpointKind::kTcp, ""));
  EXPECT_NE(odd[0]->Open().message().find("is not a /dev/parportN device"), std::string::npos);
  EXPECT_NE(odd[1]->Open().message().find("cannot be reached"), std::string::npos);
  EXPECT_FALSE(odd[1]->Present());

  auto serial = MakeSerialControls();
  for (int n = 1; n <= 3; ++n) {
    auto* link = dynamic_cast<TermiosSerialControl*>(serial[static_cast<std::size_t>(n - 1)].get());
    ASSERT_NE(link, nullptr) << n;
    EXPECT_EQ(link->DevicePath(), SerialDevicePathFromEnv(n));
    EXPECT_FALSE(link->IsOpen());
  }
}

}  // namespace
}  // namespace qw77
