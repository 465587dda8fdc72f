// qw77-vprinter: a virtual thermal ticket printer on a pseudo-terminal and a socket.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "vprinter/app/Options.h"
#include "vprinter/app/Process.h"
#include "vprinter/endpoints/CrashCleanup.h"
#include "vprinter/endpoints/Server.h"
#include "vprinter/endpoints/web/WebEndpoint.h"
#include "vprinter/paper/FontFiles.h"

namespace {

qw77::vprinter::Server* g_server = nullptr;

void OnSignal(int) {
  if (g_server) g_server->Stop();
}

// --render stops on a signal once no picture is half-written: at the next piece of the
// file, or right after the picture being written is whole.
volatile std::sig_atomic_t g_render_signal = 0;

void OnRenderSignal(int sig) {
  g_render_signal = sig;
}

struct Interrupted {};

int Fail(const std::string& why) {
  std::cerr << "qw77-vprinter: " << why << "\n";
  return 2;
}

// Prints a file's bytes, read in pieces so that a file of any size takes bounded memory.
// 0 when every ticket was saved, 1 when one was not or the file could not be read through,
// 2 when it could not be opened at all.
int Render(qw77::vprinter::Printer& printer, const std::string& path) {
  using qw77::vprinter::Source;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    return Fail("cannot read " + path + ": it is a folder, not a file");
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Fail("cannot read " + path + ": " + std::strerror(errno));
  // A write under way goes on to its end.
  qw77::vprinter::OnStopSignals(OnRenderSignal, true);
  printer.on_ticket = [](const std::string& saved) {
    if (!saved.empty()) std::cout << "ticket: " << saved << std::endl;
    if (g_render_signal) throw Interrupted{};
  };
  std::vector<std::uint8_t> buf(64 * 1024);
  std::size_t done = 0;
  std::string read_error;
  try {
    while (!g_render_signal) {
      const std::size_t n = std::fread(buf.data(), 1, buf.size(), file);
      if (n == 0 && std::ferror(file)) {
        read_error = std::strerror(errno);
        break;
      }
      if (n == 0) break;
      done += n;
      printer.Feed(Source::kFile, {buf.data(), n}, 0);
    }
    if (!g_render_signal) {
      printer.EndOfStream(Source::kFile);
      printer.Shutdown();
    }
  } catch (const Interrupted&) {
  }
  std::fclose(file);
  if (g_render_signal) {
    Fail("interrupted by " + qw77::vprinter::SignalName(g_render_signal) + " with " +
         std::to_string(done) + " bytes of " + path +
         " read: the tickets listed are complete; the ticket in progress and the rest of the "
         "file are not printed");
    return 128 + g_render_signal;
  }
  if (!read_error.empty()) {
    Fail("cannot read " + path + " after " + std::to_string(done) + " bytes: " + read_error +
         "; the rest is not printed");
    return 1;
  }
  if (printer.tickets_not_saved() > 0) {
    Fail(std::to_string(printer.tickets_not_saved()) + " ticket picture(s) could not be saved");
    return 1;
  }
  return 0;
}

// The interfaces as the web view's panel shows them.
std::vector<qw77::vprinter::web::InterfaceInfo> Interfaces(qw77::vprinter::Server& server) {
  std::vector<qw77::vprinter::web::InterfaceInfo> list;
  if (auto* s = server.serial()) list.push_back({"serial", s->device_path(), std::nullopt});
  if (auto* p = server.parallel()) list.push_back({"parallel", p->path(), p->connected()});
  if (auto* t = server.tcp()) list.push_back({"tcp", t->address(), t->connected()});
  return list;
}

// Serves the interfaces until a stopping signal.
int Serve(qw77::vprinter::Printer& printer, qw77::vprinter::CommandLine& cl) {
  using namespace qw77;
  using namespace qw77::vprinter;
  // Stopping signals stop the server (which removes its link and socket on the way out),
  // also one that comes while the interfaces are being opened; faults remove them too.
  Server server(printer);
  g_server = &server;
  struct Unhook {
    ~Unhook() { g_server = nullptr; }
  } unhook;
  OnStopSignals(OnSignal, false);
  RemoveOnCrash();
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
  if (cl.tcp_port >= 0) {
    const Status s = server.OpenTcp(cl.tcp_host, cl.tcp_port, Micros{cl.tcp_idle_s} * 1000000);
    if (!s) return Fail(s.message());
    std::cout << "tcp: " << server.tcp()->address() << "\n";
  }
  std::unique_ptr<web::WebEndpoint> web_view;
  if (cl.http_port >= 0) {
    Result<std::unique_ptr<web::WebEndpoint>> ep =
        web::WebEndpoint::Open(printer, {cl.http_host, cl.http_port, cl.out_dir, cl.paper_dots});
    if (!ep) return Fail(ep.status().message());
    web_view = std::move(*ep);
    web_view->SetInterfaces([&server] { return Interfaces(server); });
    server.AddEndpoint(web_view.get());
    std::cout << "http: " << web_view->address() << "\n";
    if (!web_view->loopback()) {
      std::cout << "http: warning: anyone who can reach " << web_view->address()
                << " can see the tickets and change the printer's conditions\n";
    }
  }
  std::cout << "status: " << printer.status().conditions().Describe() << "\n"
            << "tickets: " << cl.out_dir << "\n"
            << "ready" << std::endl;
  server.Run();
  return 0;
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
  const std::string refused = qw77::vprinter::CannotWriteTo(cl.out_dir);
  if (!refused.empty()) return Fail("cannot write to " + cl.out_dir + ": " + refused);
  if (!cl.log_path.empty()) {
    std::FILE* log = std::fopen(cl.log_path.c_str(), "ab");
    if (!log) return Fail("cannot write the log " + cl.log_path + ": " + std::strerror(errno));
    std::fclose(log);
  }

  Result<std::shared_ptr<const Fonts>> fonts = Fonts::LoadDefault();
  if (!fonts) {
    return Fail(fonts.status().message() + " (" + DefaultFontFiles().install_hint + ")");
  }
  StatusModel status(cl.conditions, cl.faults);
  PrinterOptions po;
  po.paper.printable_dots = cl.paper_dots;
  po.code_page = cl.code_page;
  po.out_dir = cl.out_dir;
  po.log_path = cl.log_path;
  po.echo_log = !cl.quiet;
  po.idle_ms = cl.idle_ms;
  if (!cl.model_name.empty()) po.model_name = cl.model_name;
  if (!cl.firmware.empty()) po.firmware = cl.firmware;
  if (!cl.serial_number.empty()) po.serial_number = cl.serial_number;
  po.state_path = cl.state_path;
  Printer printer(*fonts, status, po);
  const Status restored = printer.RestoreState();
  if (!restored) return Fail(restored.message());

  if (!cl.render_file.empty()) return Render(printer, cl.render_file);

  return Serve(printer, cl);
}
