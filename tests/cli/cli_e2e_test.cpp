// qw77-cli against the virtual printer over its pseudo-terminal and its parallel socket:
// the real executable for what a shell sees (exit codes, lines, the printed ticket), and
// the shell front end in-process where a limit is checked on a fake clock.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>

#include "platform/posix/PosixSystem.h"
#include "platform/posix/TermiosSerialControl.h"
#include "tests/cli/CliRig.h"
#include "tests/fakes/TestRig.h"
#include "vprinter/endpoints/Server.h"

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
  void Start(Conditions conditions = {}, Faults faults = {}) {
    static auto fonts = vprinter::Fonts::LoadDefault();
    ASSERT_TRUE(fonts) << fonts.status().message();
    status_ = std::make_unique<vprinter::StatusModel>(conditions, faults);
    vprinter::PrinterOptions options;
    options.out_dir = (dir_.path() / "tickets").string();
    std::filesystem::create_directories(options.out_dir);
    printer_ = std::make_unique<vprinter::Printer>(*fonts, *status_, options);
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
  Ran Shell(const std::string& args, const std::string& more_env = {}) {
    const std::filesystem::path out = dir_.path() / "stdout", err = dir_.path() / "stderr";
    const std::string command =
        "QW77_COM1=" + com1_.string() + " QW77_PORT_ACCESS=vprinter:" + lpt_.string() + " " +
        more_env + " " + QW77_CLI + " " + args + " >" + out.string() + " 2>" + err.string();
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

}  // namespace
}  // namespace qw77
