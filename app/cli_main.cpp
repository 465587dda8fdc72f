// qw77-cli: the window's printer jobs from a shell. Reads the port map (environment and
// ports file, as the window does, each port's settings on their own), builds this
// machine's platform services for it and hands the command line to the shell front end.
#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>

#include <unistd.h>

#include "cli/CommandLine.h"
#include "cli/Interrupt.h"
#include "platform/factory/PlatformFactory.h"
#include "transport/PortListing.h"
#include "transport/PortMap.h"

namespace {

class MachinePlatform : public qw77::cli::CliPlatform {
 public:
  explicit MachinePlatform(qw77::PortMapByPort map) : map_(std::move(map)) {
    for (int n = 1; n <= 3; ++n) {
      serial_[static_cast<std::size_t>(n - 1)] = qw77::MakeSerialControl(n, Bound(SerialPort(n)));
    }
  }

  qw77::SerialLink& Serial(int number) override { return *serial_.at(number - 1); }
  // Made on first use: a run on a serial port never opens parallel port access.
  std::array<qw77::ParallelLink*, 2> ParallelLinks() override {
    if (!parallel_[0]) {
      parallel_ =
          qw77::MakeParallelLinks(Bound(qw77::PortName::kLpt1), Bound(qw77::PortName::kLpt2));
    }
    return {parallel_[0].get(), parallel_[1].get()};
  }
  qw77::System& Sys() override { return *system_; }
  bool ErrIsTerminal() override { return isatty(STDERR_FILENO) == 1; }
  qw77::Clock& Time() override { return *clock_; }
  std::string SerialEndpoint(int number) override { return Bound(SerialPort(number)).Spec(); }
  std::string ParallelEndpoint(int number) override { return Bound(ParallelPort(number)).Spec(); }
  qw77::Status BindingOf(bool parallel, int number) override {
    return map_.refused[qw77::PortIndex(parallel ? ParallelPort(number) : SerialPort(number))];
  }
  // Every port is listed, a refused one with its reason; the listing then fails.
  bool ListPorts(std::ostream& out, std::ostream& err) override {
    qw77::WritePortListing(out, map_.map, system_->Devices(), &map_.refused);
    bool all_taken = true;
    for (const qw77::Status& refused : map_.refused) {
      if (!refused.ok()) err << "qw77-cli: " << refused.message() << std::endl;
      all_taken = all_taken && refused.ok();
    }
    return all_taken;
  }

 private:
  static qw77::PortName SerialPort(int number) {
    return number == 1   ? qw77::PortName::kCom1
           : number == 2 ? qw77::PortName::kCom2
                         : qw77::PortName::kCom3;
  }
  static qw77::PortName ParallelPort(int number) {
    return number == 1 ? qw77::PortName::kLpt1 : qw77::PortName::kLpt2;
  }
  qw77::Endpoint Bound(qw77::PortName port) const {
    return map_.map[qw77::PortIndex(port)].endpoint;
  }

  qw77::PortMapByPort map_;
  std::array<std::unique_ptr<qw77::SerialLink>, 3> serial_;
  std::array<std::unique_ptr<qw77::ParallelLink>, 2> parallel_;
  std::unique_ptr<qw77::System> system_ = qw77::MakeSystem();
  std::unique_ptr<qw77::Clock> clock_ = qw77::MakeClock();
};

}  // namespace

int main(int argc, char** argv) {
  const qw77::EnvLookup env = qw77::ProcessEnvironment();
  // A bad binding is a port that cannot be used: said by the run on that port.
  MachinePlatform platform(qw77::LoadPortMapByPort({{}, env, qw77::PortsFilePath(env)}));
  qw77::cli::InstallInterruptReport();
  return qw77::cli::RunCli(argc, argv, platform, std::cout, std::cerr);
}
