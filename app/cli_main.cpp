// qw77-cli: the window's printer jobs from a shell. Reads the port map (environment and
// ports file, as the window does), builds this machine's platform services for it and hands
// the command line to the shell front end.
#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/linux/Discovery.h"
#include "transport/PortListing.h"
#include "transport/PortMap.h"

namespace {

class MachinePlatform : public qw77::cli::CliPlatform {
 public:
  explicit MachinePlatform(qw77::Result<qw77::PortMap> map) : map_(std::move(map)) {
    for (int n = 1; n <= 3; ++n) {
      serial_[static_cast<std::size_t>(n - 1)] =
          map_ ? qw77::MakeSerialControl(n, Bound(SerialPort(n)))
               : qw77::MakeSerialControl(n, qw77::DefaultEndpoint(SerialPort(n)));
    }
  }

  const qw77::Result<qw77::PortMap>& Map() const { return map_; }

  qw77::SerialLink& Serial(int number) override { return *serial_.at(number - 1); }
  // Made on first use: a run on a serial port never opens parallel port access.
  qw77::PortAccess& ParallelAccess() override {
    if (!parallel_) {
      parallel_ = qw77::MakePortAccess(Bound(qw77::PortName::kLpt1), Bound(qw77::PortName::kLpt2));
    }
    return *parallel_;
  }
  qw77::System& Sys() override { return *system_; }
  qw77::Clock& Time() override { return *clock_; }
  std::string SerialEndpoint(int number) override { return Bound(SerialPort(number)).Spec(); }
  std::string ParallelEndpoint(int number) override {
    return Bound(number == 1 ? qw77::PortName::kLpt1 : qw77::PortName::kLpt2).Spec();
  }
  bool ListPorts(std::ostream& out, std::ostream& err) override {
    if (!map_) {
      err << "qw77-cli: " << map_.status().message() << std::endl;
      return false;
    }
    qw77::WritePortListing(out, *map_, qw77::DiscoverDevices("/"));
    return true;
  }

 private:
  static qw77::PortName SerialPort(int number) {
    return number == 1   ? qw77::PortName::kCom1
           : number == 2 ? qw77::PortName::kCom2
                         : qw77::PortName::kCom3;
  }
  qw77::Endpoint Bound(qw77::PortName port) const {
    return map_ ? (*map_)[qw77::PortIndex(port)].endpoint : qw77::DefaultEndpoint(port);
  }

  qw77::Result<qw77::PortMap> map_;
  std::array<std::unique_ptr<qw77::SerialLink>, 3> serial_;
  std::unique_ptr<qw77::PortAccess> parallel_;
  std::unique_ptr<qw77::System> system_ = qw77::MakeSystem();
  std::unique_ptr<qw77::Clock> clock_ = qw77::MakeClock();
};

}  // namespace

int main(int argc, char** argv) {
  const qw77::EnvLookup env = qw77::ProcessEnvironment();
  MachinePlatform platform(qw77::LoadPortMap({{}, env, qw77::PortsFilePath(env)}));
  // A bad binding is a port that cannot be used: said once, before any job.
  if (!platform.Map()) {
    std::cerr << "qw77-cli: " << platform.Map().status().message() << std::endl;
    return 3;
  }
  return qw77::cli::RunCli(argc, argv, platform, std::cout, std::cerr);
}
