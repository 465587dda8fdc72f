#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "platform/factory/PlatformFactory.h"
#include "platform/linux/PpdevPortAccess.h"
#include "platform/posix/TermiosSerialControl.h"
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

TEST(BiosDataArea, WordsOfLpt1AndLpt2) {
  const std::array<std::uint16_t, 2> bases = {0x0378, 0xD010};
  struct Case {
    std::uint32_t address;
    std::uint32_t value;
  };
  const Case cases[] = {
      {0x408, 0xD0100378u}, {0x40A, 0x0000D010u}, {0x406, 0x03780000u}, {0x409, 0x00D01003u},
      {0x400, 0},           {0x40C, 0},           {0xFFFFFFFFu, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BiosDataLong(bases, c.address), c.value) << std::hex << c.address;
    EXPECT_EQ(BiosDataLong({0, 0}, c.address), 0u);  // no ports: every word reads 0
  }
  EXPECT_EQ(BiosDataLong({0x0278, 0}, 0x408) & 0xFFFFu, 0x0278u);
}

TEST(PpdevPortAccess, NoParallelPortStartsWithEmptyWords) {
  testing::ScopedTempDir tmp;
  PpdevPortAccess access(tmp.path() / "proc", tmp.path() / "dev");
  std::uint32_t value = 1;
  EXPECT_FALSE(access.GetPhysLong(0x408, value));  // not started yet
  ASSERT_TRUE(access.InitializeWinIo());
  EXPECT_TRUE(access.FailureReason().empty());
  ASSERT_TRUE(access.GetPhysLong(0x408, value));
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(access.GetPortVal(0x379, value, 1));
  EXPECT_FALSE(access.SetPortVal(0x378, 0x41, 1));
  EXPECT_TRUE(access.ShutdownWinIo());
}

TEST(PpdevPortAccess, APortThatCannotBeOpenedOrClaimedFailsTheStart) {
  testing::ScopedTempDir tmp;
  const fs::path proc = tmp.path() / "proc";
  const fs::path dev = tmp.path() / "dev";
  MakeParport(proc, "parport0", "888\t1912\n");
  fs::create_directories(dev);

  PpdevPortAccess missing(proc, dev);
  EXPECT_FALSE(missing.InitializeWinIo());
  EXPECT_NE(missing.FailureReason().find("parport0"), std::string::npos);

  std::ofstream(dev / "parport0") << "not a device";
  PpdevPortAccess unclaimable(proc, dev);
  EXPECT_FALSE(unclaimable.InitializeWinIo());
  EXPECT_NE(unclaimable.FailureReason().find("claim"), std::string::npos);
}

// Needs a real parallel port: QW77_TEST_PARPORT=/dev/parport0.
TEST(PpdevPortAccess, RealPort) {
  const char* device = std::getenv("QW77_TEST_PARPORT");
  if (device == nullptr || *device == '\0') GTEST_SKIP() << "QW77_TEST_PARPORT not set";
  PpdevPortAccess access;
  ASSERT_TRUE(access.InitializeWinIo()) << access.FailureReason();
  std::uint32_t word = 0;
  ASSERT_TRUE(access.GetPhysLong(kBiosLpt1Word, word));
  const auto base = static_cast<std::uint16_t>(word & 0xFFFFu);
  ASSERT_NE(base, 0);
  std::uint32_t status = 0;
  EXPECT_TRUE(access.GetPortVal(static_cast<std::uint16_t>(base + 1), status, 1));
  EXPECT_TRUE(access.SetPortVal(static_cast<std::uint16_t>(base + 2), 0xCC, 1));
  EXPECT_FALSE(access.SetPortVal(static_cast<std::uint16_t>(base + 1), 0, 1));
  EXPECT_TRUE(access.ShutdownWinIo());
}

TEST(PlatformFactory, PortAccessByName) {
  EXPECT_TRUE(MakePortAccess(std::nullopt)->FailureReason().empty());
  std::unique_ptr<PortAccess> unknown = MakePortAccess("winio");
  EXPECT_FALSE(unknown->InitializeWinIo());
  EXPECT_NE(unknown->FailureReason().find("winio"), std::string::npos);
  EXPECT_NE(unknown->FailureReason().find("ppdev"), std::string::npos);
  std::uint32_t value = 0;
  EXPECT_FALSE(unknown->GetPhysLong(0x408, value));

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
