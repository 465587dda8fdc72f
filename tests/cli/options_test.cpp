// What the command line refuses, and why: every value is checked against the window's own
// ranges and the barcode field's key rules before any port or file is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/TestPaths.h"
#include "tests/cli/CliRig.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using testing::CliRig;
using testing::ScopedTempDir;

struct OptionCase {
  const char* name;
  std::vector<std::string> options;  // added to "compose --out t.bin"
  int exit_code;
  const char* says;  // part of the message on standard error ("" when accepted)
};

class ComposeOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ComposeOptions, AreCheckedAgainstTheWindow) {
  ScopedTempDir dir;
  CliRig cli;
  cli.system.program_directory = test::BinDir();
  std::vector<std::string> args = {"compose", "--out", "t.bin"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  EXPECT_EQ(cli.Run(args), GetParam().exit_code) << cli.err;
  EXPECT_NE(cli.err.find(GetParam().says), std::string::npos) << cli.err;
  // A refused value writes nothing at all.
  EXPECT_EQ(std::filesystem::exists("t.bin"), GetParam().exit_code == 0);
}

const std::string k25 = "Ünïcödé counts characters";  // 25 characters, 30 bytes

INSTANTIATE_TEST_SUITE_P(
    Values, ComposeOptions,
    ::testing::Values(
        OptionCase{"XScaleBelow",
                   {"--xscale", "0"},
                   64,
                   "--xscale takes a whole number from 1 to 8, not \"0\"."},
        OptionCase{"XScaleFraction", {"--xscale", "2.5"}, 64, "from 1 to 8"},
        OptionCase{"DensityLowest", {"--density", "-10"}, 0, ""},
        OptionCase{"DensityBelow", {"--density", "-11"}, 64, "from -10 to 10"},
        OptionCase{"MarginPastNarrowPaper", {"--left-margin", "449"}, 64, "from 0 to 448"},
        OptionCase{"MarginOnWidePaper", {"--paper", "80", "--left-margin", "576"}, 0, ""},
        OptionCase{"LinesAbove", {"--lines", "51"}, 64, "from 1 to 50"},
        OptionCase{"PaperUnknown", {"--paper", "70"}, 64, "--paper takes 60, 80, not \"70\"."},
        OptionCase{"BaudUnknown", {"--baud", "1200"}, 64, "--baud takes 4800, 9600"},
        OptionCase{"ParityLowerCase", {"--parity", "e"}, 0, ""},
        OptionCase{"LogoUnknown", {"--logo", "star"}, 64, "--logo takes space, orval or squares"},
        OptionCase{"TextOf25Characters", {"--text", k25}, 0, ""},
        OptionCase{"TextOf26Characters",
                   {"--text", k25 + "!"},
                   64,
                   "holds at most 25 characters; this text has 26."},
        OptionCase{"TextWithLineEnd", {"--text", "a\nb"}, 64, "control character (code 10)"},
        OptionCase{"TextWithEscape",
                   {"--text",
                    "a\x1b"
                    "b"},
                   64,
                   "control character (code 27)"},
        OptionCase{"TextNotUtf8", {"--text", "caf\xe9"}, 64, "not valid UTF-8"},
        OptionCase{"Ean13WithCheckDigit",
                   {"--barcode", "ean13:5901234123457"},
                   64,
                   "at most 12 characters; \"5901234123457\" has 13 (the printer adds the check"},
        OptionCase{"Ean13Letter",
                   {"--barcode", "ean13:12a"},
                   64,
                   "the EAN-13 field takes digits only; \"12a\" holds \"a\"."},
        OptionCase{"ItfNonAscii", {"--barcode", "itf:1²"}, 64, "digits only"},
        OptionCase{"Code39AllItTakes", {"--barcode", "code39:a$ /.+%"}, 0, ""},
        OptionCase{"Code39Eight", {"--barcode", "code39:ABCDEFGH"}, 64, "at most 7 characters"},
        OptionCase{"Code39Semicolon", {"--barcode", "code39:a;b"}, 64, "holds \";\""},
        OptionCase{"Code128Letter", {"--barcode", "code128:12A4"}, 64, "digits only"},
        // The window sends an empty field's barcode command with no data; so does the shell.
        OptionCase{"BarcodeWithoutData", {"--barcode", "ean13:"}, 0, ""},
        OptionCase{"BarcodeWithoutType", {"--barcode", ":123"}, 64, "TYPE:DATA"},
        OptionCase{"TextEmptyAfterEquals", {"--text="}, 0, ""},
        OptionCase{"TextEmpty", {"--text", ""}, 0, ""},
        OptionCase{"BarcodeUnknownType", {"--barcode", "qr:123"}, 64, "TYPE:DATA"},
        OptionCase{"UnknownOption", {"--colour", "red"}, 64, "--colour"}),
    [](const auto& p) { return std::string(p.param.name); });

// A bad value anywhere stops the whole command before the first port is opened.
TEST(UsageErrors, RunNothing) {
  CliRig cli;
  EXPECT_EQ(cli.Run({"status", "--port", "COM1", "--port", "COM9"}), 64);
  EXPECT_NE(cli.err.find("--port takes COM1, COM2, COM3, LPT1 or LPT2, not \"COM9\"."),
            std::string::npos);
  EXPECT_EQ(cli.Run({"print", "--port", "COM1", "--xscale", "9"}), 64);
  EXPECT_EQ(cli.Run({"status"}), 64);
  EXPECT_EQ(cli.Run({}), 64);
  EXPECT_TRUE(cli.out.empty());
  // Asked for JSON, the refusal is its one object.
  EXPECT_EQ(cli.Run({"compose", "--json", "--out", "-"}), 64);
  EXPECT_NE(cli.err.find("--json cannot share standard output"), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(cli.out)["outcome"], "usage");
  EXPECT_EQ(cli.com1.opens, 0);
}

// With --json a refused command line is still one JSON object, saying why.
struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  const char* says;  // part of the message, in the object and on standard error
  bool job_named;
};

class UsageJson : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageJson, IsOneObject) {
  ScopedTempDir dir;
  CliRig cli;
  EXPECT_EQ(cli.Run(GetParam().args), 64);
  const nlohmann::json line = nlohmann::json::parse(cli.out);  // one object, nothing else
  EXPECT_EQ(line["outcome"], "usage");
  EXPECT_EQ(line["exit_code"], 64);
  EXPECT_EQ(line["port"], nullptr);
  EXPECT_EQ(line["job"].is_string(), GetParam().job_named);
  EXPECT_NE(line["message"].get<std::string>().find(GetParam().says), std::string::npos)
      << line["message"];
  EXPECT_NE(cli.err.find(GetParam().says), std::string::npos) << cli.err;
  EXPECT_EQ(cli.com1.opens, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, UsageJson,
    ::testing::Values(
        UsageCase{"UnknownSubcommand",
                  {"frobnicate", "--json"},
                  "\"frobnicate\" is no subcommand",
                  false},
        UsageCase{
            "UnknownOption", {"status", "--port", "COM1", "--json", "--bogus"}, "--bogus", true},
        // An empty port name is the bad port, not the option after it.
        UsageCase{"EmptyPortBeforeJson", {"status", "--port", ",", "--json"}, "not \"\".", true},
        UsageCase{"PortAfterComma", {"status", "--port", "COM1,COM9", "--json"}, "\"COM9\"", true},
        UsageCase{"EmptyOut", {"compose", "--out", "", "--json"}, "--out needs a file name", true},
        UsageCase{"EmptySpool",
                  {"print", "--port", "COM1", "--spool=", "--json"},
                  "--spool needs a file name",
                  true},
        UsageCase{"BadValue",
                  {"print", "--port", "COM1", "--xscale", "9", "--json"},
                  "from 1 to 8",
                  true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(HelpAndVersion, GoToStandardOutputAndExitZero) {
  CliRig cli;
  EXPECT_EQ(cli.Run({"--version"}), 0);
  EXPECT_EQ(cli.out.rfind("qw77-cli " QW77_VERSION, 0), 0u) << cli.out;
  EXPECT_EQ(cli.Run({"--help"}), 0);
  EXPECT_NE(cli.out.find("Usage: qw77-cli"), std::string::npos);
  EXPECT_NE(cli.out.find("Exit status:"), std::string::npos);
  EXPECT_EQ(cli.Run({"print", "--help"}), 0);
  EXPECT_NE(cli.out.find("--barcode TYPE:DATA"), std::string::npos);
}

}  // namespace
}  // namespace qw77
