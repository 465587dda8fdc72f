#include "app/AppOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cctype>

#include "transport/PortMap.h"

namespace qw77 {

Result<AppOptions> ParseAppOptions(const std::vector<std::string>& args,
                                   const std::string& footer) {
  AppOptions options;
  const std::string program = args.empty() ? std::string("qw77") : args.front();
  CLI::App app(
      "Exercises a thermal ticket printer of the RX and MQ families from one window: prints a\n"
      "sample ticket composed from the window's settings, stores the printer's text\n"
      "settings, starts its self test, reads its status flags and restores its default\n"
      "configuration, over a serial port (COM1 to COM3) or a parallel port (LPT1, LPT2),\n"
      "each of which may reach a serial device, a USB or a network printer.\n",
      program);
  if (!footer.empty()) app.footer(footer);
  // Qt's own options (-platform, -display, ...) pass through to QApplication.
  app.allow_extras();

  std::array<std::string, kPortNames.size()> specs;
  std::array<CLI::Option*, kPortNames.size()> port_options{};
  for (PortName port : kPortNames) {
    const std::string port_text(PortNameText(port));
    std::string flag = "--" + port_text;
    std::transform(flag.begin(), flag.end(), flag.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string takes = IsSerialPort(port)
                                  ? "a device path, tcp:HOST[:PORT] or usblp:/dev/usb/lpN"
                                  : "ppdev:/dev/parportN, vprinter:SOCKET or usblp:/dev/usb/lpN";
    port_options[PortIndex(port)] =
        app.add_option(flag, specs[PortIndex(port)], "What " + port_text + " reaches: " + takes)
            ->type_name("SPEC");
  }
  app.add_flag("--list-ports", options.list_ports,
               "List the serial, USB and parallel devices found and what each port reaches");
  app.add_flag("--version", options.version, "Print the version");

  // CLI11 takes the arguments last first, without the program name.
  std::vector<std::string> reversed(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
  std::reverse(reversed.begin(), reversed.end());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    options.help = true;
    options.help_text = app.help();
  } catch (const CLI::ParseError& error) {
    return Status(ErrorCode::kInvalidArgument, error.what());
  }

  for (PortName port : kPortNames) {
    if (port_options[PortIndex(port)]->count() > 0) {
      options.port_specs[port] = specs[PortIndex(port)];
    }
  }
  options.remaining.push_back(program);
  for (std::string& extra : app.remaining()) options.remaining.push_back(std::move(extra));
  return options;
}

Result<AppOptions> ParseAppOptions(int argc, const char* const* argv, const std::string& footer) {
  return ParseAppOptions(std::vector<std::string>(argv, argv + std::max(argc, 0)), footer);
}

}  // namespace qw77
