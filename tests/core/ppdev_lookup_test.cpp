// The parallel port lookup over the kernel's list of ports, as the ppdev port access
// presents it: the ports under /proc appear as the BIOS data area's LPT1 and LPT2 words.
#include <gtest/gtest.h>

#include <fstream>

#include "jobs/ParallelJobs.h"
#include "platform/linux/PpdevPortAccess.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

namespace fs = std::filesystem;
using testing::TestRig;

// Port access whose memory is the BIOS view that PpdevPortAccess builds from /proc. (The
// real class needs claimable /dev/parportN devices before it answers; its view of memory is
// exactly this composition.)
class ProcBiosView : public testing::FakePortAccess {
 public:
  explicit ProcBiosView(const fs::path& proc) {
    std::vector<ParportInfo> ports = ListParports(proc);
    for (std::size_t i = 0; i < ports.size() && i < bases_.size(); ++i) bases_[i] = ports[i].base;
  }
  bool GetPhysLong(std::uint32_t address, std::uint32_t& value) override {
    value = BiosDataLong(bases_, address);
    return true;
  }

 private:
  std::array<std::uint16_t, 2> bases_{};
};

TEST(ParallelLookupOverProc, Lpt1AndLpt2ComeFromTheKernelsPorts) {
  testing::ScopedTempDir tmp;
  const fs::path proc = tmp.path() / "proc";
  const std::pair<const char*, const char*> ports[] = {{"parport0", "888\t1912\n"},
                                                       {"parport1", "53264\t53248\n"}};
  for (const auto& [name, base_addr] : ports) {
    fs::create_directories(proc / "sys" / "dev" / "parport" / name);
    std::ofstream(proc / "sys" / "dev" / "parport" / name / "base-addr") << base_addr;
  }
  ProcBiosView view(proc);
  TestRig rig;
  rig.frm->Svc().port_access = &view;

  struct Case {
    int lpt;
    std::uint16_t data;
  } cases[] = {{1, 0x378}, {2, 0xD010}};
  ParallelPort port = WindowParallelPort(*rig.frm);
  for (const Case& c : cases) {
    const std::optional<LptRegisters> found = port.Locate(c.lpt);
    ASSERT_TRUE(found.has_value()) << c.lpt;
    EXPECT_EQ(found->data, c.data);
    EXPECT_EQ(found->status, c.data + 1);
    EXPECT_EQ(found->control, c.data + 2);
  }
  EXPECT_TRUE(rig.window.messages.empty());
}

}  // namespace
}  // namespace qw77
