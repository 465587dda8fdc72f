// One main window over fakes of every platform service, for handler tests.
#pragma once

#include <filesystem>
#include <memory>

#include "form/FrmMenu.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeParallelLink.h"
#include "tests/fakes/FakeSerialControl.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeWindowServices.h"
#include "transport/Limits.h"

namespace qw77::testing {

struct TestRig {
  FakeSerialControl com1{1}, com2{2}, com3{3};
  FakeParallelLink lpt1, lpt2;
  FakeSystem system;
  FakeClock clock;
  FakeWindowServices window;
  std::unique_ptr<FrmMenu> frm;

  TestRig() {
    Services s;
    s.serial = {&com1, &com2, &com3};
    s.parallel = {&lpt1, &lpt2};
    s.system = &system;
    s.clock = &clock;
    s.window = &window;
    frm = std::make_unique<FrmMenu>(s);
  }
  WindowState& state() { return frm->State(); }
  FakeSerialControl& com(int n) { return n == 1 ? com1 : (n == 2 ? com2 : com3); }
  FakeParallelLink& lpt(int n) { return n == 1 ? lpt1 : lpt2; }
};

// Runs a test body in a fresh temporary directory (the spool file lives in the current
// directory) and returns to the previous one afterwards.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace qw77::testing
