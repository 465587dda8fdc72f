// qw77-cli: the window's printer jobs from a shell. Builds this machine's platform
// services and hands the command line to the shell front end.
#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/posix/TermiosSerialControl.h"

namespace {

class MachinePlatform : public qw77::cli::CliPlatform {
 public:
  qw77::SerialControl& Serial(int number) override { return *serial_.at(number - 1); }
  // Made on first use: a run on a serial port never opens parallel port access.
  qw77::PortAccess& ParallelAccess() override {
    if (!parallel_) parallel_ = qw77::MakePortAccess();
    return *parallel_;
  }
  qw77::System& Sys() override { return *system_; }
  qw77::Clock& Time() override { return *clock_; }
  std::string SerialEndpoint(int number) override { return qw77::SerialDevicePathFromEnv(number); }
  std::string ParallelEndpoint(int /*number*/) override {
    const char* choice = std::getenv(qw77::kPortAccessVariable);
    return choice != nullptr && *choice != '\0' ? choice : "ppdev";
  }

 private:
  std::array<std::unique_ptr<qw77::SerialControl>, 3> serial_ = qw77::MakeSerialControls();
  std::unique_ptr<qw77::PortAccess> parallel_;
  std::unique_ptr<qw77::System> system_ = qw77::MakeSystem();
  std::unique_ptr<qw77::Clock> clock_ = qw77::MakeClock();
};

}  // namespace

int main(int argc, char** argv) {
  MachinePlatform platform;
  return qw77::cli::RunCli(argc, argv, platform, std::cout, std::cerr);
}
