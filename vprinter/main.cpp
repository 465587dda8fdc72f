// qw77-vprinter: a virtual thermal ticket printer on a pseudo-terminal and a socket.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "vprinter/Options.h"
#include "vprinter/Server.h"

namespace {

qw77::vprinter::Server* g_server = nullptr;

void OnSignal(int) {
  if (g_server) g_server->Stop();
}

int Fail(const std::string& why) {
  std::cerr << "qw77-vprinter: " << why << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qw77;
  using namespace qw77::vprinter;
  Result<CommandLine> parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed) return Fail(parsed.status().message());
  CommandLine& cl = *parsed;
  if (cl.help) {
    std::cout << UsageText();
    return 0;
  }
  std::error_code ec;
  std::filesystem::create_directories(cl.out_dir, ec);
  if (ec) return Fail("cannot create " + cl.out_dir + ": " + ec.message());

  Result<std::shared_ptr<const Fonts>> fonts = Fonts::LoadDefault();
  if (!fonts) return Fail(fonts.status().message() + " (install console-setup-linux)");
  StatusModel status(cl.conditions, cl.faults);
  PrinterOptions po;
  po.paper.printable_dots = cl.paper_dots;
  po.out_dir = cl.out_dir;
  po.log_path = cl.log_path;
  po.echo_log = !cl.quiet;
  po.idle_ms = cl.idle_ms;
  Printer printer(*fonts, status, po);

  if (!cl.render_file.empty()) {
    std::ifstream in(cl.render_file, std::ios::binary);
    if (!in) return Fail("cannot read " + cl.render_file);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    printer.Feed(Source::kFile, bytes, 0);
    printer.EndOfStream(Source::kFile);
    printer.Shutdown();
    for (const std::string& f : printer.ticket_files()) std::cout << "ticket: " << f << "\n";
    return 0;
  }

  Server server(printer);
  if (cl.serial) {
    const Status s = server.OpenSerial(cl.serial_options);
    if (!s) return Fail(s.message());
    std::cout << "serial: " << server.serial()->device_path() << "\n";
    if (!cl.serial_options.link_path.empty()) {
      std::cout << "serial link: " << cl.serial_options.link_path << "\n";
    }
  }
  if (!cl.parallel_socket.empty()) {
    const Status s = server.OpenParallel(cl.parallel_socket);
    if (!s) return Fail(s.message());
    std::cout << "parallel: " << cl.parallel_socket << "\n";
  }
  std::cout << "status: " << status.conditions().Describe() << "\n"
            << "tickets: " << cl.out_dir << "\n"
            << "ready" << std::endl;

  g_server = &server;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  server.Run();
  g_server = nullptr;
  return 0;
}
