// qw77: one window with which a technician exercises a thermal ticket printer.
//
// The platform services are built for this machine, the main window's load handler runs
// (it may refuse to open the window: the operator has then been told why), the window
// opens, and the program ends when it closes or at once through Exit.
//
// --help and --version print and end without opening a window (so without a display).
// With QW77_REPORT_START set, the program prints to standard output how long it took from
// the start of main to the window's first paint, for the start-up benchmark.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/CommandLine.h"
#include "frontend/Handlers.h"
#include "frontend/MainWindow.h"
#include "frontend/QtWindowServices.h"
#include "platform/PlatformFactory.h"
#include "qw77/Project.h"
#include "ui/FrmMenu.h"

int main(int argc, char** argv) {
  QElapsedTimer since_start;
  since_start.start();

  // --help and --version need no display: they are answered before Qt starts.
  if (auto code = qw77::app::HandleOwnOptions(argc, argv, qw77::MakeSystem()->DataDirectory())) {
    return *code;
  }
  QApplication app(argc, argv);
  if (auto code = qw77::app::RejectLeftOverArguments(argc, argv)) return *code;
  QApplication::setApplicationName(QStringLiteral("qw77"));
  // Lets the desktop match the window to its menu entry, for its name and icon.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(qw77::kDesktopId));

  qw77::frontend::QtWindowServices window_services;
  qw77::Services services;
  services.window = &window_services;
  std::unique_ptr<qw77::PortAccess> port_access = qw77::MakePortAccess();
  auto serial = qw77::MakeSerialControls();
  std::unique_ptr<qw77::System> system = qw77::MakeSystem();
  std::unique_ptr<qw77::Clock> clock = qw77::MakeClock();
  services.serial = {serial[0].get(), serial[1].get(), serial[2].get()};
  services.port_access = port_access.get();
  services.system = system.get();
  services.clock = clock.get();

  qw77::FrmMenu frm(services);
  qw77::frontend::MainWindow window(frm);
  window_services.Attach(&window);

  if (std::getenv("QW77_REPORT_START") != nullptr) {
    QObject::connect(&window, &qw77::frontend::MainWindow::FirstShown, [&since_start] {
      std::printf("qw77: window shown %lld ms after start\n",
                  static_cast<long long>(since_start.elapsed()));
      std::fflush(stdout);
    });
  }

  // A refused start has told the operator why and closed the window already.
  if (!qw77::frontend::RunFormLoad(frm) || window.Ending()) return 1;
  window.ShowCentered();
  const int code = QApplication::exec();
  return window.Ending() ? 0 : code;
}
