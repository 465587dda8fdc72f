// qw77: one window with which a technician exercises a thermal ticket printer.
//
// The command line and the port map are read first (--help, --version and --list-ports
// answer without a display); the platform services are built for the map, the main
// window's load handler runs (it may refuse to open the window: the operator has then been
// told why), the window opens, and the program ends when it closes or at once through Exit.
//
// With QW77_REPORT_START set, the program prints to standard output how long it took from
// the start of main to the window's first paint, for the start-up benchmark.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/AppOptions.h"
#include "app/CommandLine.h"
#include "form/FrmMenu.h"
#include "form/StartUp.h"
#include "frontend/Handlers.h"
#include "frontend/MainWindow.h"
#include "frontend/QtWindowServices.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/linux/Discovery.h"
#include "qw77/Project.h"
#include "transport/PortListing.h"
#include "transport/PortMap.h"

namespace {

// This machine's services for the window, made for the port map; they live as long as it.
struct MachineServices {
  MachineServices(const qw77::PortMap& map, qw77::System& system,
                  qw77::WindowServices& window_services) {
    const auto endpoint = [&map](qw77::PortName port) -> const qw77::Endpoint& {
      return map[qw77::PortIndex(port)].endpoint;
    };
    parallel =
        qw77::MakeParallelLinks(endpoint(qw77::PortName::kLpt1), endpoint(qw77::PortName::kLpt2));
    serial[0] = qw77::MakeSerialControl(1, endpoint(qw77::PortName::kCom1));
    serial[1] = qw77::MakeSerialControl(2, endpoint(qw77::PortName::kCom2));
    serial[2] = qw77::MakeSerialControl(3, endpoint(qw77::PortName::kCom3));
    clock = qw77::MakeClock();
    services.window = &window_services;
    services.serial = {serial[0].get(), serial[1].get(), serial[2].get()};
    services.parallel = {parallel[0].get(), parallel[1].get()};
    services.system = &system;
    services.clock = clock.get();
  }

  std::array<std::unique_ptr<qw77::ParallelLink>, 2> parallel;
  std::unique_ptr<qw77::SerialLink> serial[3];
  std::unique_ptr<qw77::Clock> clock;
  qw77::Services services;
};

// What each port reaches, in the order COM1, COM2, COM3, LPT1, LPT2, for the tool-tips.
std::array<std::string, 5> ReachedEndpoints(const qw77::PortMap& map,
                                            const std::vector<qw77::DeviceInfo>& devices) {
  std::array<std::string, 5> reached;
  for (qw77::PortName port : qw77::kPortNames) {
    const qw77::Binding& binding = map[qw77::PortIndex(port)];
    reached[qw77::PortIndex(port)] =
        qw77::DescribeBinding(port, binding, qw77::FindDevice(devices, binding.endpoint));
  }
  return reached;
}

// For the start-up benchmark: the time from the start of main to the window's first paint.
void ReportStartTime(qw77::frontend::MainWindow& window, const QElapsedTimer& since_start) {
  QObject::connect(&window, &qw77::frontend::MainWindow::FirstShown, [&since_start] {
    std::printf("qw77: window shown %lld ms after start\n",
                static_cast<long long>(since_start.elapsed()));
    std::fflush(stdout);
  });
}

// The arguments left for Qt, null-terminated as QApplication takes them.
std::vector<char*> QtArguments(qw77::AppOptions& options) {
  std::vector<char*> qt_argv;
  for (std::string& arg : options.remaining) qt_argv.push_back(arg.data());
  qt_argv.push_back(nullptr);
  return qt_argv;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer since_start;
  since_start.start();

  std::unique_ptr<qw77::System> system = qw77::MakeSystem();
  const qw77::EnvLookup env = qw77::ProcessEnvironment();
  const std::filesystem::path ports_file = qw77::PortsFilePath(env);
  qw77::Result<qw77::AppOptions> options = qw77::ParseAppOptions(
      argc, argv, qw77::app::HelpFooter(system->DataDirectory(), ports_file.string()));
  if (!options) {
    std::fprintf(stderr, "qw77: %s (see qw77 --help)\n", options.status().message().c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(options->help_text.c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("qw77 %s\n", qw77::kVersionText);
    return 0;
  }
  // A bad binding refuses the start: the window never opens half-configured.
  const qw77::Result<qw77::PortMap> map = qw77::LoadPortMap({options->port_specs, env, ports_file});
  const std::vector<qw77::DeviceInfo> devices = qw77::DiscoverDevices("/");
  if (map && options->list_ports) {
    qw77::WritePortListing(std::cout, *map, devices);
    return 0;
  }
  if (!map) std::fprintf(stderr, "qw77: %s\n", map.status().message().c_str());
  if (!map && options->list_ports) return 2;

  // What is left of the command line is Qt's.
  std::vector<char*> qt_argv = QtArguments(*options);
  int qt_argc = static_cast<int>(qt_argv.size()) - 1;
  QApplication app(qt_argc, qt_argv.data());
  QApplication::setApplicationName(QStringLiteral("qw77"));
  // Lets the desktop match the window to its menu entry, for its name and icon.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(qw77::kDesktopId));
  if (qt_argc > 1) {
    std::fprintf(stderr, "qw77: unknown argument \"%s\" (see qw77 --help)\n", qt_argv[1]);
    return 2;
  }
  if (!map) {
    QMessageBox::critical(nullptr, QString::fromLatin1(qw77::kAppTitle.data()),
                          QString::fromStdString(map.status().message()));
    return 2;
  }

  qw77::frontend::QtWindowServices window_services;
  const MachineServices machine(*map, *system, window_services);
  qw77::FrmMenu frm(machine.services);
  qw77::ShowPortEndpoints(frm.State(), ReachedEndpoints(*map, devices));
  qw77::frontend::MainWindow window(frm);
  window_services.Attach(&window);
  if (std::getenv("QW77_REPORT_START") != nullptr) ReportStartTime(window, since_start);

  // A refused start has told the operator why and closed the window already.
  if (!qw77::frontend::RunFormLoad(frm) || window.Ending()) return 1;
  window.ShowCentered();
  const int code = QApplication::exec();
  return window.Ending() ? 0 : code;
}
