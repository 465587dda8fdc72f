// qw77-cli against the virtual printer over its pseudo-terminal and its parallel socket:
// the real executable for what a shell sees (exit codes, lines, the printed ticket), and
// the shell front end in-process where a limit is checked on a fake clock.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <functional>

#include <png.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>

#include "platform/posix/PosixSystem.h"
#include "platform/posix/TermiosSerialControl.h"
#include "tests/TestPaths.h"
#include "tests/cli/CliRig.h"
#include "tests/fakes/TestRig.h"
#include "vprinter/endpoints/Server.h"
#include "vprinter/paper/Canvas.h"

namespace qw77 {
namespace {

using nlohmann::json;
using testing::ScopedTempDir;
using vprinter::Conditions;
using vprinter::Faults;
using vprinter::LogEntry;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a shell got from one command.
struct Ran {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class CliEndToEnd : public ::testing::Test {
 protected:
  void Start(Conditions conditions = {}, Faults faults = {},
             const std::function<void(vprinter::PrinterOptions&)>& tweak = {}) {
    static auto fonts = vprinter::Fonts::LoadDefault();
    ASSERT_TRUE(fonts) << fonts.status().message();
    status_ = std::make_unique<vprinter::StatusModel>(conditions, faults);
    vprinter::PrinterOptions options;
    options.out_dir = (dir_.path() / "tickets").string();
    if (tweak) tweak(options);
    std::filesystem::create_directories(options.out_dir);
    printer_ = std::make_unique<vprinter::Printer>(*fonts, *status_, options);
    if (!options.state_path.empty()) {
      ASSERT_TRUE(printer_->RestoreState().ok());
    }
    server_ = std::make_unique<vprinter::Server>(*printer_);
    // Unpaced: the tests are about what arrives and what the shell is told.
    ASSERT_TRUE(server_->OpenSerial({com1_.string(), 0, false}).ok());
    ASSERT_TRUE(server_->OpenParallel(lpt_.string()).ok());
    ASSERT_TRUE(server_->OpenTcp("127.0.0.1", 0).ok());
    thread_ = std::thread([this] { server_->Run(); });
  }
  void StopPrinter() {
    if (!thread_.joinable()) return;
    server_->Stop(/*drain=*/true);
    thread_.join();
  }
  void TearDown() override { StopPrinter(); }

  // Runs the real qw77-cli in the test's folder with COM1 and LPT1 on the printer.
  // `name` keeps the output of runs at once apart.
  Ran Shell(const std::string& args, const std::string& more_env = {},
            const std::string& name = "std") {
    const std::filesystem::path out = dir_.path() / (name + "out"),
                                err = dir_.path() / (name + "err");
    const std::string command = "QW77_COM1=" + com1_.string() +
                                " QW77_PORT_ACCESS=vprinter:" + lpt_.string() + " " + more_env +
                                " " + test::BinPath("qw77-cli") + " " + args + " >" + out.string() +
                                " 2>" + err.string();
    const int status = std::system(command.c_str());
    Ran ran;
    ran.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ran.out = ReadText(out);
    ran.err = ReadText(err);
    return ran;
  }

  // The commands the printer understood, without line-level noise.
  std::vector<std::string> Commands() {
    StopPrinter();
    std::vector<std::string> out;
    for (const LogEntry& e : printer_->log()) {
      if (e.kind == LogEntry::kEvent || e.command == "DLE EOT") continue;
      out.push_back(e.command);
    }
    return out;
  }

  ScopedTempDir dir_;
  std::filesystem::path com1_ = dir_.path() / "com1";
  std::filesystem::path lpt_ = dir_.path() / "lpt.sock";
  std::unique_ptr<vprinter::StatusModel> status_;
  std::unique_ptr<vprinter::Printer> printer_;
  std::unique_ptr<vprinter::Server> server_;
  std::thread thread_;
};

TEST_F(CliEndToEnd, StatusOfAReadyPrinterExitsZero) {
  Start();
  const Ran ran = Shell("status --port COM1 --port LPT1");
  EXPECT_EQ(ran.exit_code, 0) << ran.err;
  EXPECT_EQ(ran.out, "COM1 (" + com1_.string() +
                         "): status: the printer answered; the printer reports no condition.\n"
                         "LPT1 (vprinter:" +
                         lpt_.string() +
                         "): status: the printer answered; the printer reports no condition.\n");
  EXPECT_EQ(ran.err, "");
}

TEST_F(CliEndToEnd, PaperOutExitsOneAndIsNamedInWordsAndInJson) {
  Start(Conditions{.paper_out = true});
  const Ran words = Shell("status --port COM1");
  EXPECT_EQ(words.exit_code, 1);
  EXPECT_NE(words.out.find("the printer reports: no paper or head up."), std::string::npos)
      << words.out;

  const Ran line = Shell("status --port COM1 --json");
  EXPECT_EQ(line.exit_code, 1);
  const json j = json::parse(line.out);
  EXPECT_EQ(j["exit_code"], 1);
  EXPECT_EQ(j["endpoint"], com1_.string());
  EXPECT_EQ(j["conditions"]["no_paper_or_head_up"], true);
  EXPECT_EQ(j["conditions"]["cutter"], false);
}

// COM2 bound to the printer's TCP endpoint, as to a network printer.
TEST_F(CliEndToEnd, ANetworkPrinterReportsItsConditionOverTcp) {
  Start(Conditions{.paper_out = true});
  const std::string spec = "tcp:127.0.0.1:" + std::to_string(server_->tcp()->port());
  const Ran line = Shell("status --port COM2 --json", "QW77_COM2=" + spec);
  EXPECT_EQ(line.exit_code, 1) << line.err;
  const json j = json::parse(line.out);
  EXPECT_EQ(j["endpoint"], spec);
  EXPECT_EQ(j["conditions"]["no_paper_or_head_up"], true);
}

TEST_F(CliEndToEnd, TheTicketsBarcodeReadsBack) {
  if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no zbarimg";
  Start();
  const Ran ran = Shell("print --port COM1 --logo orval --lines 2 --barcode ean13:590123412345");
  EXPECT_EQ(ran.exit_code, 0) << ran.err;
  StopPrinter();  // ends the ticket: its picture is written
  ASSERT_EQ(printer_->ticket_files().size(), 1u);
  const std::filesystem::path read = dir_.path() / "zbar";
  const std::string zbar = "zbarimg --quiet --raw " + printer_->ticket_files()[0] + " >" +
                           read.string() + " 2>/dev/null";
  EXPECT_EQ(std::system(zbar.c_str()), 0);
  EXPECT_EQ(ReadText(read), "5901234123457\n") << "the printer adds the check digit";
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "tempo.txt")) << "the spool file is gone";
}

TEST_F(CliEndToEnd, AutotestAndSaveSettingsReachThePrinter) {
  Start();
  EXPECT_EQ(Shell("autotest --port COM1").exit_code, 0);
  EXPECT_EQ(Shell("save-settings --port LPT1").exit_code, 0);
  const std::vector<std::string> commands = Commands();
  EXPECT_NE(std::find(commands.begin(), commands.end(), "BS"), commands.end());
  EXPECT_NE(std::find(commands.begin(), commands.end(), "CR BEL CR"), commands.end());
  EXPECT_EQ(printer_->self_tests(), 1);
}

// A bad setting of a port the run does not use stops nobody; `ports` shows it and fails.
TEST_F(CliEndToEnd, ABadSettingOfAnotherPortStopsOnlyRunsOnIt) {
  Start();
  const std::string bad = "QW77_COM2=garbage QW77_PORT_ACCESS=bogus";
  EXPECT_EQ(Shell("status --port COM1", bad).exit_code, 0);
  const Ran refused = Shell("status --port COM2 --json", bad);
  EXPECT_EQ(refused.exit_code, 3);
  const json j = json::parse(refused.out);
  EXPECT_EQ(j["outcome"], "configuration");
  EXPECT_EQ(j["endpoint"], nullptr);
  EXPECT_NE(j["message"].get<std::string>().find("QW77_COM2: COM2 takes"), std::string::npos);

  const Ran ports = Shell("ports", bad);
  EXPECT_EQ(ports.exit_code, 3);
  EXPECT_NE(ports.out.find("COM1 - " + com1_.string()), std::string::npos) << ports.out;
  EXPECT_NE(ports.out.find("COM2 - refused: QW77_COM2: COM2 takes"), std::string::npos);
  EXPECT_NE(ports.out.find("LPT2 - refused: QW77_PORT_ACCESS takes"), std::string::npos);
  EXPECT_NE(ports.out.find("COM3 - /dev/ttyS2"), std::string::npos);
}

// A run ended by a signal still prints its one JSON object.
TEST_F(CliEndToEnd, AnInterruptedRunSaysSoInJson) {
  Start({}, Faults{.silent = true});
  const std::filesystem::path out = dir_.path() / "interrupted";
  // Made before the fork: the child of a process with threads only opens and executes.
  const std::string com1 = "QW77_COM1=" + com1_.string();
  const std::string cli = test::BinPath("qw77-cli");
  const char* argv[] = {cli.c_str(), "status", "--port", "COM1", "--json", nullptr};
  const char* envp[] = {com1.c_str(), nullptr};
  const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(out_fd, 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(out_fd, STDOUT_FILENO);
    ::execve(cli.c_str(), const_cast<char* const*>(argv), const_cast<char* const*>(envp));
    ::_exit(127);
  }
  ::close(out_fd);
  // Within the probe's wait for a reply, which the silent printer never gives.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const json j = json::parse(ReadText(out));
  EXPECT_EQ(j["outcome"], "interrupted");
  EXPECT_EQ(j["port"], "COM1");
  EXPECT_EQ(j["exit_code"], 130);
  EXPECT_TRUE(j["message"].is_string());
}

// A network printer on a loopback port that reads what comes, then resets the connection
// (or, with `resets` false, a port nothing listens on).
class NetworkPeer {
 public:
  explicit NetworkPeer(bool resets) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    (void)::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    (void)::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    if (!resets) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
    (void)::listen(fd_, 4);
    thread_ = std::thread([this] {
      while (true) {
        const int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0) return;
        char request[16];
        (void)::recv(client, request, sizeof request, 0);
        const linger reset{1, 0};
        (void)::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(client);
      }
    });
  }
  ~NetworkPeer() {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  std::string Spec() const { return "tcp:127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

// A network printer that resets the connection, or is not there, is a port that cannot be
// used, said with the link's own kind and the cause; nothing is sent.
TEST_F(CliEndToEnd, ANetworkPrinterThatResetsOrRefusesExitsThree) {
  struct Case {
    bool resets;
    const char* job;
    const char* says;
  } cases[] = {
      {true, "status", "closed the connection"},
      {true, "print", "closed the connection"},
      {false, "status", "Check the printer's address and port"},
  };
  for (const Case& c : cases) {
    NetworkPeer peer(c.resets);
    const Ran ran = Shell(std::string(c.job) + " --port COM2 --json", "QW77_COM2=" + peer.Spec());
    EXPECT_EQ(ran.exit_code, 3) << c.job << ": " << ran.err;
    const json j = json::parse(ran.out);
    const std::string message = j["message"].get<std::string>();
    EXPECT_EQ(message.rfind("Network printer error: ", 0), 0u) << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_EQ(ran.err.find("Serial port error"), std::string::npos) << ran.err;
  }
}

// A serial line that echoes every byte, as a loopback plug does: a pseudo-terminal whose
// far end writes back what it reads, and keeps it.
class EchoLine {
 public:
  EchoLine() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    (void)::grantpt(master_);
    (void)::unlockpt(master_);
    path_ = ::ptsname(master_);
    // Held raw from the start, so the line itself never echoes or edits.
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    (void)::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    (void)::tcsetattr(slave_, TCSANOW, &raw);
    thread_ = std::thread([this] {
      std::uint8_t chunk[256];
      while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0) continue;
        heard_.insert(heard_.end(), chunk, chunk + n);
        (void)::write(master_, chunk, static_cast<std::size_t>(n));
      }
    });
  }
  ~EchoLine() {
    (void)Stop();
    ::close(slave_);
    ::close(master_);
  }
  const std::string& path() const { return path_; }
  // Stops echoing; every byte that reached the line.
  const std::vector<std::uint8_t>& Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return heard_;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::vector<std::uint8_t> heard_;
  std::thread thread_;
};

// The echo of the status request is no status: no answer (exit 2), and no ticket after it.
TEST_F(CliEndToEnd, AnEchoingLineIsNoPrinter) {
  for (const char* job : {"status", "print"}) {
    EchoLine line;
    const Ran ran = Shell(std::string(job) + " --port COM1 --json", "QW77_COM1=" + line.path());
    EXPECT_EQ(ran.exit_code, 2) << job << ": " << ran.err;
    const json j = json::parse(ran.out);
    EXPECT_EQ(j["outcome"], "no_answer");
    EXPECT_EQ(j["conditions"], nullptr);
    EXPECT_NE(j["message"].get<std::string>().find(
                  "Something answered with bytes that are not a printer's status (0D 10 04 01 0D)"),
              std::string::npos)
        << j["message"];
    // The probe alone: no second probe, no status request, no ticket.
    EXPECT_EQ(line.Stop(), (std::vector<std::uint8_t>{0x0D, 0x10, 0x04, 0x01, 0x0D})) << job;
  }
}

// The text lines each interface brought, in order.
std::vector<std::string> TextFrom(const std::deque<LogEntry>& log, vprinter::Source source) {
  std::vector<std::string> lines;
  for (const LogEntry& e : log) {
    if (e.kind == LogEntry::kText && e.source == source) lines.push_back(e.params);
  }
  return lines;
}

// Two runs from one folder, one on the serial line and one on the network, started a few
// milliseconds apart: each prints its own text, whichever spools first.
TEST_F(CliEndToEnd, TwoRunsFromOneFolderEachPrintTheirOwnTicket) {
  Start();
  const std::string tcp = "QW77_COM2=tcp:127.0.0.1:" + std::to_string(server_->tcp()->port());
  for (int apart_ms : {0, 5, 10, 20, 50}) {
    Ran serial, network;
    std::thread first([&] { serial = Shell("print --port COM1 --text SERIAL-TEXT", {}, "a"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(apart_ms));
    network = Shell("print --port COM2 --text NETWORK-TEXT", tcp, "b");
    first.join();
    EXPECT_EQ(serial.exit_code, 0) << apart_ms << " ms: " << serial.err;
    EXPECT_EQ(network.exit_code, 0) << apart_ms << " ms: " << network.err;
  }
  StopPrinter();
  const std::vector<std::string> serial_text = TextFrom(printer_->log(), vprinter::Source::kSerial);
  const std::vector<std::string> network_text = TextFrom(printer_->log(), vprinter::Source::kTcp);
  EXPECT_EQ(serial_text, std::vector<std::string>(5, "\"SERIAL-TEXT\""));
  EXPECT_EQ(network_text, std::vector<std::string>(5, "\"NETWORK-TEXT\""));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "tempo.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / ".tempo.txt.lock"));
}

// In-process, on a fake clock: the silent printer fails the probe at its limit, not later.
TEST_F(CliEndToEnd, ASilentPrinterExitsTwoAtTheProbesLimit) {
  Start({}, Faults{.silent = true});
  struct Platform : testing::CliRig {
    TermiosSerialControl line;
    explicit Platform(const std::string& device) : line(1, TermiosOptions{.device = device}) {}
    SerialLink& Serial(int number) override {
      return number == 1 ? line : testing::CliRig::Serial(number);
    }
  } platform(com1_.string());
  platform.clock.on_sleep = [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
  EXPECT_EQ(platform.Run({"status", "--port", "COM1", "--json"}), 2);
  EXPECT_EQ(json::parse(platform.out)["outcome"], "no_answer");
  EXPECT_GE(platform.clock.Elapsed(), kReplyLimit);
  EXPECT_LT(platform.clock.Elapsed(), kReplyLimit + std::chrono::milliseconds(100));
  EXPECT_FALSE(platform.line.IsOpen());
}

// --- The printer tools ----------------------------------------------------------------------

// A 24-bit PNG: a black frame two dots wide around bands of colour, so that its dithered
// picture starts and ends with ink on every side.
void WriteColourPng(const std::string& path, int w, int h) {
  std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &rgb[(std::size_t(y) * w + x) * 3];
      const bool frame = x < 2 || y < 2 || x >= w - 2 || y >= h - 2;
      p[0] = static_cast<std::uint8_t>(frame ? 0 : x * 255 / w);
      p[1] = static_cast<std::uint8_t>(frame ? 0 : y * 255 / h);
      p[2] = static_cast<std::uint8_t>(frame ? 0 : 200);
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr));
}

// The inked part of a picture (a dot darker than mid grey), as rows of '#' and '.'.
std::vector<std::string> Inked(const vprinter::Canvas& c) {
  int x0 = c.width(), y0 = c.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      if (c.At(x, y) >= 128) continue;
      x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
  }
  std::vector<std::string> rows;
  for (int y = y0; y <= y1; ++y) {
    std::string row;
    for (int x = x0; x <= x1; ++x) row += c.At(x, y) < 128 ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

class ToolsEndToEnd : public CliEndToEnd {
 protected:
  void StartWithState() {
    Start({}, {}, [this](vprinter::PrinterOptions& o) {
      o.model_name = "QW-TEST 80";
      o.firmware = "9.87";
      o.serial_number = "SN-12345";
      o.state_path = (dir_.path() / "nv.json").string();
    });
  }
  std::string Tcp() { return "QW77_COM2=tcp:127.0.0.1:" + std::to_string(server_->tcp()->port()); }
  json Json(const std::string& args, const std::string& env = {}) {
    const Ran ran = Shell(args + " --json", env);
    EXPECT_LE(ran.exit_code, 1) << args << "\n" << ran.out << ran.err;
    return ran.out.empty() ? json() : json::parse(ran.out);
  }
  std::int64_t LinesFed(const json& counters) {
    for (const json& c : counters["counters"]) {
      if (c["number"] == 20) return c["since_reset"].get<std::int64_t>();
    }
    return -1;
  }
};

TEST_F(ToolsEndToEnd, InfoTellsWhatPrinterItIsOverThePtyAndTcp) {
  StartWithState();
  for (const std::string port : {"COM1", "COM2"}) {
    const json j = Json("info --port " + port, Tcp());
    EXPECT_EQ(j["model"], "QW-TEST 80");
    EXPECT_EQ(j["firmware"], "9.87");
    EXPECT_EQ(j["serial_number"], "SN-12345");
    EXPECT_EQ(j["status"], json::array());
  }
}

TEST_F(ToolsEndToEnd, ALogoIsStoredKeptOverARestartAndPrintedAsItsPreview) {
  StartWithState();
  const std::string png = (dir_.path() / "shop.png").string();
  const std::string preview = (dir_.path() / "preview.png").string();
  WriteColourPng(png, 120, 40);
  const Ran refused = Shell("logo store " + png + " --key A1 --port COM1");
  EXPECT_EQ(refused.exit_code, 64);
  EXPECT_NE(refused.err.find("add --yes"), std::string::npos);
  const json stored =
      Json("logo store " + png + " --key A1 --preview " + preview + " --port COM1 --yes");
  EXPECT_EQ(stored["outcome"], "done");
  EXPECT_EQ(stored["size"], 15 * 40);

  StopPrinter();
  server_.reset();   // before the printer it serves
  StartWithState();  // the same state file
  const json listed = Json("logo list --port COM2", Tcp());
  ASSERT_EQ(listed["logos"].size(), 1u);
  EXPECT_EQ(listed["logos"][0]["key"], "A1");
  const json before = Json("counters --port COM1");
  EXPECT_EQ(Json("logo print --key A1 --port COM1")["outcome"], "done");
  EXPECT_GT(LinesFed(Json("counters --port COM1")), LinesFed(before));

  StopPrinter();
  std::vector<std::filesystem::path> tickets;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path() / "tickets")) {
    tickets.push_back(e.path());
  }
  ASSERT_EQ(tickets.size(), 1u);
  Result<vprinter::Canvas> ticket = vprinter::Canvas::ReadPng(tickets[0].string());
  Result<vprinter::Canvas> want = vprinter::Canvas::ReadPng(preview);
  ASSERT_TRUE(ticket && want);
  EXPECT_EQ(want->width(), 120);
  EXPECT_EQ(Inked(*ticket), Inked(*want));
}

TEST_F(ToolsEndToEnd, SetupSetReadsBackAndTheHexDumpShowsWhatFollows) {
  StartWithState();
  EXPECT_EQ(Shell("setup set --density 3 --port COM1").exit_code, 64);
  EXPECT_EQ(Json("setup set --density 3 --port COM1 --yes")["outcome"], "done");
  EXPECT_EQ(Json("setup show --port COM2", Tcp())["density"], 3);
  EXPECT_EQ(Json("test-print hexdump --port COM1")["outcome"], "done");
  std::ofstream(com1_) << "Hello, printer!!";
  StopPrinter();
  bool dumped = false;
  for (const LogEntry& e : printer_->log()) {
    dumped = dumped || e.command.find("hex dump: 48 65 6C 6C 6F") != std::string::npos;
  }
  EXPECT_TRUE(dumped);
}

TEST_F(ToolsEndToEnd, APortThatCannotAnswerIsRefusedBeforeAnyByte) {
  Start();
  const Ran ran = Shell("logo delete-all --port LPT1 --yes");
  EXPECT_EQ(ran.exit_code, 3);
  EXPECT_NE(ran.err.find("needs a port that can answer"), std::string::npos) << ran.err;
  EXPECT_TRUE(Commands().empty());
}

}  // namespace
}  // namespace qw77
