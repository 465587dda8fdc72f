#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "qw77/Project.h"

namespace qw77::app {
namespace {

constexpr const char* kDescription =
    "Exercises a thermal ticket printer of the RX and MQ families from one window: prints a\n"
    "sample ticket composed from the window's settings, stores the printer's text\n"
    "settings, starts its self test, reads its status flags and restores its default\n"
    "configuration, over a serial port (COM1 to COM3) or a parallel port (LPT1, LPT2).\n";

void Describe(CLI::App& app, const std::string& data_folder) {
  app.description(kDescription);
  app.set_version_flag("--version", std::string("qw77 ") + kVersionText);
  // Laid out as help2man reads it: a name, then its text from column 23 on.
  app.footer(
      "Qt's own options, such as -platform NAME or -display DISPLAY, are passed to Qt.\n"
      "\n"
      "Environment:\n"
      "  QW77_COM1 .. QW77_COM3\n"
      "                      device that serial port n opens (default /dev/ttyS<n-1>),\n"
      "                      for example /dev/ttyUSB0, or the link the virtual printer\n"
      "                      makes\n"
      "  QW77_PORT_ACCESS    parallel port access: ppdev (the default; LPT1 and LPT2\n"
      "                      are the first two /dev/parportN) or vprinter:SOCKET (the\n"
      "                      virtual printer's socket, as LPT1 at 378h)\n"
      "  Comspec             command interpreter that removes the spool file after a\n"
      "                      job (default /bin/sh)\n"
      "  QW77_REPORT_START   when set, print how long the window took to show\n"
      "\n"
      "Files:\n"
      "  tempo.txt           the sample ticket as sent to the printer, written in the\n"
      "                      current folder and removed after the job\n"
      "  SPACE.BMP, ORVAL.BMP, CUADROS.BMP\n"
      "                      the logos: each is read from the folder of the qw77\n"
      "                      executable when it is there, otherwise from\n"
      "                      " +
      data_folder + "\n");
}

}  // namespace

std::optional<int> HandleOwnOptions(int argc, const char* const* argv,
                                    const std::string& data_folder) {
  CLI::App app("", "qw77");
  Describe(app, data_folder);
  // Whatever is not ours stays for Qt, which says nothing of what it does not know; what
  // is left after Qt has run is refused by RejectLeftOverArguments.
  app.allow_extras();
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "qw77: %s (see qw77 --help)\n", error.what());
    return 2;
  }
  return std::nullopt;
}

std::optional<int> RejectLeftOverArguments(int argc, const char* const* argv) {
  if (argc <= 1) return std::nullopt;
  std::fprintf(stderr, "qw77: unknown argument \"%s\" (see qw77 --help)\n", argv[1]);
  return 2;
}

}  // namespace qw77::app
