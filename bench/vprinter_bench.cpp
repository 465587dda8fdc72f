// Figures of the virtual printer:
//  1. a ticket with a 448 x 400 logo sent over its serial terminal at 38400 baud: wall
//     time from the first byte written to the ticket drawn, against the wire time
//     (bytes x 10 / baud) a real line would need;
//  2. the printer's own time to interpret and draw that ticket, in memory and as a PNG, and
//     the same for the golden receipt that uses the whole common command set (QR code,
//     PDF417, nine barcodes, images, code pages);
//  3. the application's CPU time during a Check Status against a silent printer (the real
//     handler, termios control and clock; the wait must poll, not spin);
//  4. the peak resident memory of `qw77-vprinter --render` for a worst-case tall ticket:
//     307,125 dots of 80 mm paper inked edge to edge, so that every band of every part is
//     held (a part takes at most 61 MiB, within the 64 MiB a ticket may take).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "form/FrmMenu.h"
#include "jobs/Actions.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SteadyClock.h"
#include "platform/posix/TermiosSerialControl.h"
#include "vprinter/endpoints/Server.h"

using namespace qw77;
using namespace qw77::vprinter;
using Wall = std::chrono::steady_clock;

namespace {

std::vector<std::uint8_t> LogoTicket() {
  const std::string head = std::string(
      "\x1B!\x00\x1D!\x00\x1B\x33\x1E\x1B \x00\x1BM\x00\x1DL\x00\x00\x1D(K\x02\x00\x01\x00"
      "\x1D\x45\x00",
      29);
  std::vector<std::uint8_t> t(head.begin(), head.end());
  for (int i = 0; i < 5; ++i) {
    for (char c : std::string("qw77 sample ticket line\n"))
      t.push_back(static_cast<std::uint8_t>(c));
  }
  const int w = 448, h = 400;
  for (int b : {0x1D, 0x76, 0x30, 0x00, w / 8, 0, h % 256, h / 256}) {
    t.push_back(static_cast<std::uint8_t>(b));
  }
  for (int y = 0; y < h; ++y) {
    for (int xb = 0; xb < w / 8; ++xb)
      t.push_back(static_cast<std::uint8_t>((y / 8 + xb) % 2 ? 0xF0 : 0x0F));
  }
  for (int b : {0x1D, 0x6B, 0x43, 0x0C}) t.push_back(static_cast<std::uint8_t>(b));
  for (char c : std::string("590123412345")) t.push_back(static_cast<std::uint8_t>(c));
  for (int b : {0x1B, 0x4A, 0xE1}) t.push_back(static_cast<std::uint8_t>(b));
  return t;
}

double Seconds(Wall::duration d) {
  return std::chrono::duration<double>(d).count();
}

int SerialFigure(const std::shared_ptr<const Fonts>& fonts,
                 const std::vector<std::uint8_t>& ticket) {
  StatusModel status;
  PrinterOptions options;  // tickets kept in memory
  Printer printer(fonts, status, options);
  std::mutex m;
  std::condition_variable cv;
  bool drawn = false;
  Wall::time_point drawn_at;
  printer.on_ticket = [&](const std::string&) {
    std::lock_guard<std::mutex> lock(m);
    drawn = true;
    drawn_at = Wall::now();
    cv.notify_all();
  };
  Server server(printer);
  const Status opened = server.OpenSerial({});
  if (!opened) {
    std::fprintf(stderr, "%s\n", opened.message().c_str());
    return 1;
  }
  const std::string path = server.serial()->device_path();
  std::thread loop([&] { server.Run(); });

  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, B38400);
  cfsetospeed(&tio, B38400);
  tcsetattr(fd, TCSANOW, &tio);
  const Wall::time_point start = Wall::now();
  std::size_t sent = 0;
  while (sent < ticket.size()) {
    const ssize_t n = write(fd, ticket.data() + sent, ticket.size() - sent);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  {
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, std::chrono::seconds(60), [&] { return drawn; });
  }
  close(fd);
  server.Stop();
  loop.join();
  if (!drawn) {
    std::fprintf(stderr, "the ticket was not drawn within 60 s\n");
    return 1;
  }
  const double wall = Seconds(drawn_at - start);
  const double wire = static_cast<double>(ticket.size()) * 10.0 / 38400.0;
  std::printf("serial ticket with a 448x400 logo: %zu bytes at 38400 baud\n", ticket.size());
  std::printf("  wall time %.3f s, wire time %.3f s, ratio %.3f\n", wall, wire, wall / wire);
  return 0;
}

void RenderFigure(const std::shared_ptr<const Fonts>& fonts,
                  const std::vector<std::uint8_t>& ticket, int paper_dots = 448) {
  const int runs = 20;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qw77-vprinter-bench-" + std::to_string(getpid()));
  for (bool png : {false, true}) {
    std::filesystem::create_directories(dir);
    StatusModel status;
    PrinterOptions options;
    options.paper.printable_dots = paper_dots;
    if (png) options.out_dir = dir.string();
    Printer printer(fonts, status, options);
    const Wall::time_point start = Wall::now();
    for (int i = 0; i < runs; ++i) printer.Feed(Source::kFile, ticket, 0);
    const double each = Seconds(Wall::now() - start) / runs;
    std::printf("  render one ticket %s: %.2f ms\n", png ? "and write its PNG" : "in memory",
                each * 1000.0);
    std::filesystem::remove_all(dir);
  }
}

// A window that shows its messages on the terminal.
class ConsoleWindow : public WindowServices {
 public:
  void MsgBox(std::string_view text, MessageIcon, std::string_view) override {
    last_message = std::string(text);
  }
  void DoEvents() override {}
  void SetMainWindowEnabled(bool) override {}
  void ShowAboutModal() override {}
  void CloseMainWindow() override {}
  void EndProgram() override {}
  std::string last_message;
};

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

int SilentCheckFigure(const std::shared_ptr<const Fonts>& fonts) {
  StatusModel status({}, Faults{.silent = true});
  Printer printer(fonts, status, PrinterOptions{});
  Server server(printer);
  if (!server.OpenSerial({}).ok()) return 1;
  std::thread loop([&] { server.Run(); });

  TermiosSerialControl com1(1, TermiosOptions{.device = server.serial()->device_path()});
  TermiosSerialControl com2(2), com3(3);
  PosixSystem system;
  SteadyClock clock;
  ConsoleWindow window;
  Services services;
  services.serial = {&com1, &com2, &com3};
  services.system = &system;
  services.clock = &clock;
  services.window = &window;
  FrmMenu frm(services);
  frm.SerialBaud = "38400";
  frm.SerialParity = "N";
  frm.State().Select(ControlId::kOptCOM0);

  const double cpu_before = ThreadCpuSeconds();
  const Wall::time_point start = Wall::now();
  CmdCheck_Click(frm);
  const double wall = Seconds(Wall::now() - start);
  const double cpu = ThreadCpuSeconds() - cpu_before;
  server.Stop();
  loop.join();
  std::printf("Check Status against a silent printer (\"%s\"):\n", window.last_message.c_str());
  std::printf("  wall time %.3f s, application CPU time %.3f s (%.1f %% of one core)\n", wall, cpu,
              100.0 * cpu / wall);
  return 0;
}

int MemoryFigure() {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qw77-vprinter-rss-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  // 75 images of 72 x 4095 bytes, every dot black: 307,125 dots, cut into four parts.
  const int row_bytes = 72, rows = 4095, images = 75;
  {
    std::ofstream f(dir / "worst.bin", std::ios::binary);
    const std::string image = std::string("\x1Dv0\x00", 4) + char(row_bytes) + char(0) +
                              char(rows % 256) + char(rows / 256) +
                              std::string(static_cast<std::size_t>(row_bytes) * rows, '\xFF');
    for (int i = 0; i < images; ++i) f << image;
    f << std::string("\x1BJ\x00", 3);
  }
  const std::string exe =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "qw77-vprinter").string();
  const std::string input = (dir / "worst.bin").string(), out = (dir / "out").string();
  const Wall::time_point start = Wall::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    execl(exe.c_str(), exe.c_str(), "--paper", "80", "--quiet", "--render", input.c_str(), "--out",
          out.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double wall = Seconds(Wall::now() - start);
  std::filesystem::remove_all(dir);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s --render failed (status %d)\n", exe.c_str(), status);
    return 1;
  }
  std::printf("qw77-vprinter --render of a 307,125-dot ticket inked edge to edge (80 mm):\n");
  std::printf(
      "  peak resident memory of the process %.1f MiB (of which the ticket's part at most\n"
      "  61 MiB), %.2f s\n",
      static_cast<double>(usage.ru_maxrss) / 1024.0, wall);
  return 0;
}

}  // namespace

// The golden receipt's path is the first argument; by default the checkout's own, for a run from
// its root (as bench/vprinter_bench.sh runs it).
int main(int argc, char** argv) {
  Result<std::shared_ptr<const Fonts>> fonts = Fonts::LoadDefault();
  if (!fonts) {
    std::fprintf(stderr, "%s\n", fonts.status().message().c_str());
    return 1;
  }
  const std::vector<std::uint8_t> ticket = LogoTicket();
  if (SerialFigure(*fonts, ticket) != 0) return 1;
  std::printf("printer's own time for that ticket (%d runs):\n", 20);
  RenderFigure(*fonts, ticket);
  const std::string receipt_path = argc > 1 ? argv[1] : "tests/vprinter/golden/receipt.bin";
  std::ifstream receipt_file(receipt_path, std::ios::binary);
  const std::vector<std::uint8_t> receipt((std::istreambuf_iterator<char>(receipt_file)), {});
  if (receipt.empty()) {
    std::fprintf(stderr, "cannot read %s\n", receipt_path.c_str());
    return 1;
  }
  std::printf("printer's own time for the golden receipt on 80 mm paper, %zu bytes (%d runs):\n",
              receipt.size(), 20);
  RenderFigure(*fonts, receipt, 576);
  if (SilentCheckFigure(*fonts) != 0) return 1;
  return MemoryFigure();
}
