// The maintenance commands' replies, byte for byte, and the NV memory's state file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/vprinter/ProcessRig.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/app/Options.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::PrinterRig;
using testing::TempDir;

constexpr int GS = 0x1D, FS = 0x1C;

std::vector<std::uint8_t> Cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// GS ( E with its length counted.
std::vector<std::uint8_t> UserSetup(std::vector<std::uint8_t> body) {
  const auto n = static_cast<int>(body.size());
  return Cat({Bytes({GS, '(', 'E', n % 256, n / 256}), body});
}
std::vector<std::uint8_t> Reply(const std::string& s) {
  return std::vector<std::uint8_t>(s.begin(), s.end());
}
// A 16x1 raster NV graphic under the key k1 k2.
std::vector<std::uint8_t> DefineGraphic(int k1, int k2) {
  return Bytes({GS, '(', 'L', 13, 0, 48, 67, 48, k1, k2, 1, 16, 0, 1, 0, 49, 0xFF, 0x0F});
}
const auto kEnter = UserSetup(Bytes({1, 'I', 'N'}));
const auto kLeave = UserSetup(Bytes({2, 'O', 'U', 'T'}));

struct ReplyCase {
  std::string name;
  std::vector<std::uint8_t> before;  // sent first; its replies are not checked
  std::vector<std::uint8_t> command;
  std::string reply;  // "" : the printer stays silent
  LogEntry::Kind kind = LogEntry::kCommand;
  bool end_stream = false;
};

class ReplyTableTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTableTest, RepliesAsAPrinterDoes) {
  const ReplyCase& t = GetParam();
  PrinterRig rig;
  rig.Feed(t.before);
  rig.replies.clear();
  const std::size_t logged = rig.Commands().size();
  rig.Feed(t.command);
  if (t.end_stream) rig.printer.EndOfStream(Source::kSerial);
  EXPECT_EQ(rig.replies, Reply(t.reply));
  const auto log = rig.Commands();
  ASSERT_GT(log.size(), logged);
  EXPECT_EQ(log[logged].kind, t.kind) << log[logged].Format();
}

const std::string kMsw(std::string bits) {
  return std::string("\x37\x21", 2) + bits + std::string(1, '\0');
}
std::string Framed(char header, const std::string& body) {
  return std::string(1, header) + body + std::string(1, '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Setup, ReplyTableTest,
    ::testing::Values(
        ReplyCase{"Enter", {}, kEnter, Framed(0x37, "\x20")},
        ReplyCase{"EnterWrongWord", {}, UserSetup(Bytes({1, 'I', 'X'})), "", LogEntry::kMalformed},
        ReplyCase{"EnterTruncated",
                  {},
                  Bytes({GS, '(', 'E', 3, 0, 1, 'I'}),
                  "",
                  LogEntry::kTruncated,
                  true},
        ReplyCase{"NoFunction", {}, UserSetup({}), "", LogEntry::kMalformed},
        ReplyCase{"LeaveOutsideSetup", {}, kLeave, "", LogEntry::kMalformed},
        ReplyCase{"UnknownFunction", {}, UserSetup(Bytes({7, 1})), "", LogEntry::kMalformed},
        ReplyCase{"SwitchDefault", {}, UserSetup(Bytes({4, 1})), kMsw("00000000")},
        ReplyCase{"SwitchEight", {}, UserSetup(Bytes({4, 8})), kMsw("00000000")},
        ReplyCase{"SwitchZero", {}, UserSetup(Bytes({4, 0})), "", LogEntry::kMalformed},
        ReplyCase{"SwitchNine", {}, UserSetup(Bytes({4, 9})), "", LogEntry::kMalformed},
        ReplyCase{"SwitchSet",
                  Cat({kEnter, UserSetup(Bytes({3, 8, '1', '2', '2', '2', '2', '2', '2', '1'}))}),
                  UserSetup(Bytes({4, 8})), kMsw("10000001")},
        ReplyCase{"SwitchSetOutsideSetup",
                  UserSetup(Bytes({3, 8, '1', '1', '1', '1', '1', '1', '1', '1'})),
                  UserSetup(Bytes({4, 8})), kMsw("00000000")},
        ReplyCase{"SwitchBadBit", kEnter,
                  UserSetup(Bytes({3, 1, '1', '3', '2', '2', '2', '2', '2', '2'})), "",
                  LogEntry::kMalformed},
        ReplyCase{"SwitchShort", kEnter, UserSetup(Bytes({3, 1, '1', '1'})), "",
                  LogEntry::kMalformed},
        ReplyCase{"WidthDefault",
                  {},
                  UserSetup(Bytes({6, 3})),
                  Framed(0x37,
                         "\x27"
                         "3\x1f"
                         "3")},
        ReplyCase{"DensitySet", Cat({kEnter, UserSetup(Bytes({5, 5, 0xFF, 0xFF}))}),
                  UserSetup(Bytes({6, 5})),
                  Framed(0x37,
                         "\x27"
                         "5\x1f"
                         "65535")},
        ReplyCase{"DensityEight", Cat({kEnter, UserSetup(Bytes({5, 5, 8, 0}))}),
                  UserSetup(Bytes({6, 5})),
                  Framed(0x37,
                         "\x27"
                         "5\x1f"
                         "8")},
        ReplyCase{"DensityNineRefused", Cat({kEnter, UserSetup(Bytes({5, 5, 9, 0}))}),
                  UserSetup(Bytes({6, 5})),
                  Framed(0x37,
                         "\x27"
                         "5\x1f"
                         "0")},
        ReplyCase{"SpeedDefault",
                  {},
                  UserSetup(Bytes({6, 6})),
                  Framed(0x37,
                         "\x27"
                         "6\x1f"
                         "5")},
        ReplyCase{"NoSuchValue", {}, UserSetup(Bytes({6, 4})), "", LogEntry::kMalformed},
        ReplyCase{"ValueShort", kEnter, UserSetup(Bytes({5, 3, 6})), "", LogEntry::kMalformed},
        ReplyCase{"BaudDefault",
                  {},
                  UserSetup(Bytes({12, 1})),
                  Framed(0x37,
                         "\x33"
                         "1\x1f"
                         "9600")},
        ReplyCase{"BaudSet", Cat({kEnter, UserSetup(Bytes({11, 1, '1', '9', '2', '0', '0'}))}),
                  UserSetup(Bytes({12, 1})),
                  Framed(0x37,
                         "\x33"
                         "1\x1f"
                         "19200")},
        ReplyCase{"BaudOdd", Cat({kEnter, UserSetup(Bytes({11, 1, '1', '2', '3'}))}),
                  UserSetup(Bytes({12, 1})),
                  Framed(0x37,
                         "\x33"
                         "1\x1f"
                         "9600")},
        ReplyCase{"DataBits",
                  {},
                  UserSetup(Bytes({12, 4})),
                  Framed(0x37,
                         "\x33"
                         "4\x1f"
                         "8")},
        ReplyCase{"SerialFive", {}, UserSetup(Bytes({12, 5})), "", LogEntry::kMalformed}),
    [](const auto& i) { return i.param.name; });

INSTANTIATE_TEST_SUITE_P(
    CountersAndGraphics, ReplyTableTest,
    ::testing::Values(
        ReplyCase{"LinesFed", Bytes({'A', '\n', 0x1B, 'd', 3}), Bytes({GS, 'g', '2', 0, 20, 0}),
                  Framed(0x5F, "4")},
        ReplyCase{"Characters", Bytes({'A', 'B', '\n'}), Bytes({GS, 'g', '2', 0, 21, 0}),
                  Framed(0x5F, "2")},
        ReplyCase{"Cuts", Bytes({'A', GS, 'V', 0, GS, 'V', 66, 0}), Bytes({GS, 'g', '2', 0, 50, 0}),
                  Framed(0x5F, "2")},
        ReplyCase{"Hours", {}, Bytes({GS, 'g', '2', 0, 70, 0}), Framed(0x5F, "0")},
        ReplyCase{"ResetKeepsCumulative", Bytes({'\n', '\n', GS, 'g', '0', 0, 20, 0}),
                  Bytes({GS, 'g', '2', 0, 148, 0}), Framed(0x5F, "2")},
        ReplyCase{"Reset", Bytes({'\n', '\n', GS, 'g', '0', 0, 20, 0}),
                  Bytes({GS, 'g', '2', 0, 20, 0}), Framed(0x5F, "0")},
        ReplyCase{
            "CumulativeNotReset", {}, Bytes({GS, 'g', '0', 0, 148, 0}), "", LogEntry::kMalformed},
        ReplyCase{"NoSuchCounter", {}, Bytes({GS, 'g', '2', 0, 22, 0}), "", LogEntry::kMalformed},
        ReplyCase{"CounterM1", {}, Bytes({GS, 'g', '2', 1, 20, 0}), "", LogEntry::kMalformed},
        ReplyCase{
            "CounterTruncated", {}, Bytes({GS, 'g', '2', 0, 20}), "", LogEntry::kTruncated, true},
        ReplyCase{"Capacity", {}, Bytes({GS, '(', 'L', 2, 0, 48, 48}), Framed(0x37, "0262144")},
        ReplyCase{"CapacityFn0", {}, Bytes({GS, '(', 'L', 2, 0, 48, 0}), Framed(0x37, "0262144")},
        ReplyCase{"Remaining", DefineGraphic('A', '1'), Bytes({GS, '(', 'L', 2, 0, 48, 51}),
                  Framed(0x37, "1262142")},
        ReplyCase{"RemainingExtraByte",
                  {},
                  Bytes({GS, '(', 'L', 3, 0, 48, 51, 0}),
                  "",
                  LogEntry::kMalformed},
        ReplyCase{
            "NoKeys", {}, Bytes({GS, '(', 'L', 4, 0, 48, 64, 'K', 'C'}), Framed(0x37, "\x72\x40")},
        ReplyCase{"Keys", Cat({DefineGraphic('B', '2'), DefineGraphic('A', '1')}),
                  Bytes({GS, '(', 'L', 4, 0, 48, 64, 'K', 'C'}),
                  Framed(0x37,
                         "\x72\x40"
                         "A1B2")},
        ReplyCase{"KeysWithoutKC",
                  {},
                  Bytes({GS, '(', 'L', 4, 0, 48, 64, 'K', 'X'}),
                  "",
                  LogEntry::kMalformed},
        ReplyCase{"TestPrintBadLength",
                  {},
                  Bytes({GS, '(', 'A', 3, 0, 0, 2, 0}),
                  "",
                  LogEntry::kMalformed},
        ReplyCase{
            "TestPrintNoSuch", {}, Bytes({GS, '(', 'A', 2, 0, 0, 4}), "", LogEntry::kMalformed},
        ReplyCase{
            "TestPrintNoPaper", {}, Bytes({GS, '(', 'A', 2, 0, 3, 2}), "", LogEntry::kMalformed},
        ReplyCase{"TestPrintRolling", {}, Bytes({GS, '(', 'A', 2, 0, 50, 51}), ""},
        ReplyCase{"NvImageMissing", {}, Bytes({FS, 'p', 1, 0}), "", LogEntry::kMalformed},
        ReplyCase{"NvImageNone", {}, Bytes({FS, 'q', 0}), "", LogEntry::kMalformed},
        ReplyCase{"NvImageWidest",
                  {},
                  Cat({Bytes({FS, 'q', 1, 0xFF, 3, 1, 0}), std::vector<std::uint8_t>(8184, 0)}),
                  ""},
        ReplyCase{"NvImageTooWide",
                  {},
                  Cat({Bytes({FS, 'q', 1, 0, 4, 1, 0}), std::vector<std::uint8_t>(8192, 0)}),
                  "",
                  LogEntry::kMalformed},
        ReplyCase{"NvImageTallest",
                  {},
                  Cat({Bytes({FS, 'q', 1, 1, 0, 32, 1}), std::vector<std::uint8_t>(2304, 0)}),
                  ""},
        ReplyCase{"NvImageTooTall",
                  {},
                  Cat({Bytes({FS, 'q', 1, 1, 0, 33, 1}), std::vector<std::uint8_t>(2312, 0)}),
                  "",
                  LogEntry::kMalformed},
        ReplyCase{"NvImageTruncated",
                  {},
                  Bytes({FS, 'q', 1, 1, 0, 1, 0, 1, 2}),
                  "",
                  LogEntry::kTruncated,
                  true}),
    [](const auto& i) { return i.param.name; });

TEST(KeyListTest, BlocksOfFortyKeysFollowEachAck) {
  PrinterRig rig;
  for (int i = 0; i < 41; ++i) rig.Feed(DefineGraphic('A' + i / 26, 'a' + i % 26));
  rig.replies.clear();
  rig.Feed(Bytes({GS, '(', 'L', 4, 0, 48, 64, 'K', 'C'}));
  ASSERT_EQ(rig.replies.size(), 84u);
  EXPECT_EQ(rig.replies[2], 0x41);  // another block follows
  rig.replies.clear();
  rig.Feed(Bytes({0x06}));
  EXPECT_EQ(rig.replies, Reply(Framed(0x37,
                                      "\x72\x40"
                                      "Bo")));
  rig.replies.clear();
  rig.Feed(Bytes({0x15}));  // NAK: the same block again
  EXPECT_EQ(rig.replies, Reply(Framed(0x37,
                                      "\x72\x40"
                                      "Bo")));
  rig.Feed(Bytes({0x15}));
  rig.replies.clear();
  rig.Feed(Bytes({0x15}));  // a third NAK for one block gives the list up
  EXPECT_TRUE(rig.replies.empty());
  rig.Feed(Bytes({0x06, 'x', '\n'}));  // an ACK after the list is over is not taken
  EXPECT_TRUE(rig.replies.empty());
  EXPECT_EQ(rig.Commands().back().command, "LF");
  int answers = 0;  // the host's answers the list took: ACK, NAK, NAK, the NAK too many
  for (const LogEntry& e : rig.printer.log()) {
    answers += e.command.rfind("key code list", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(answers, 4);
}

TEST(PrinterIdTest, OptionsReachTheReplies) {
  Result<CommandLine> cl = ParseCommandLine(
      {"--model", "M-1", "--firmware", "2.05 ESC", "--serial-number", "SN 0042", "--render", "x"});
  ASSERT_TRUE(cl.ok()) << cl.status().message();
  StatusModel status;
  PrinterOptions o;
  o.model_name = cl->model_name;
  o.firmware = cl->firmware;
  o.serial_number = cl->serial_number;
  Printer printer(testing::TestFonts(), status, o);
  CollectedReplies collected;
  std::vector<std::uint8_t>& replies = collected.bytes;
  printer.AttachReplies(Source::kSerial, &collected);
  printer.Feed(Source::kSerial, Bytes({GS, 'I', 65, GS, 'I', 67, GS, 'I', 68, GS, 'I', 1}), 0);
  EXPECT_EQ(replies, Reply(Framed(0x5F, "2.05 ESC") + Framed(0x5F, "M-1") +
                           Framed(0x5F, "SN 0042") + "\x47"));
  for (const char* option : {"--firmware", "--serial-number"}) {
    Result<CommandLine> refused = ParseCommandLine({option, "", "--render", "x"});
    ASSERT_FALSE(refused.ok()) << option;
    EXPECT_NE(refused.status().message().find(option), std::string::npos);
  }
}

// A printer with a state file and a day of our choosing.
struct StateRig {
  explicit StateRig(const std::string& path, int paper_dots = 448)
      : printer(testing::TestFonts(), status, [&] {
          PrinterOptions o;
          o.paper.printable_dots = paper_dots;
          o.state_path = path;
          o.today = [this] { return day; };
          return o;
        }()) {
    printer.AttachReplies(Source::kSerial, &collected);
  }
  void Feed(const std::vector<std::uint8_t>& bytes) { printer.Feed(Source::kSerial, bytes, 0); }
  std::string day = "2026-12-08";
  StatusModel status;
  Printer printer;
  CollectedReplies collected;
  std::vector<std::uint8_t>& replies = collected.bytes;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(StateFileTest, GraphicsCountersAndSetupLastFromRunToRun) {
  TempDir dir;
  const std::string path = dir / "nv.json";
  {
    StateRig first(path);
    ASSERT_TRUE(first.printer.RestoreState().ok());
    first.Feed(Cat({DefineGraphic('L', 'G'), Bytes({FS, 'q', 1, 1, 0, 1, 0}),
                    std::vector<std::uint8_t>(8, 0xFF), kEnter, UserSetup(Bytes({5, 5, 4, 0})),
                    UserSetup(Bytes({3, 2, '1', '0', '1', '0', '1', '0', '1', '0'})), kLeave,
                    Bytes({'A', '\n', GS, 'V', 0})}));
    first.printer.Shutdown();
  }
  StateRig second(path);
  ASSERT_TRUE(second.printer.RestoreState().ok());
  second.Feed(Cat({Bytes({GS, '(', 'L', 6, 0, 48, 69, 'L', 'G', 1, 1, FS, 'p', 1, 0}),
                   Bytes({GS, 'g', '2', 0, 148, 0, GS, 'g', '2', 0, 178, 0}),
                   UserSetup(Bytes({6, 5})), UserSetup(Bytes({4, 2}))}));
  for (const LogEntry& e : second.printer.log()) {
    EXPECT_NE(e.kind, LogEntry::kMalformed) << e.Format();
  }
  EXPECT_EQ(second.replies, Reply(Framed(0x5F, "1") + Framed(0x5F, "1") +
                                  Framed(0x37,
                                         "\x27"
                                         "5\x1f"
                                         "4") +
                                  kMsw("10101010")));
  EXPECT_EQ(second.printer.settings().density, 4);
  EXPECT_EQ(second.printer.nv_memory().writes_total, 4);
  // Written whole and renamed: no temporary is left beside it.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(StateFileTest, DamagedFileIsAnErrorAndStaysAsItIs) {
  TempDir dir;
  std::string whole;
  {
    StateRig rig(dir / "good.json");
    ASSERT_TRUE(rig.printer.RestoreState().ok());
    rig.Feed(DefineGraphic('A', '1'));
    whole = ReadAll(dir / "good.json");
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"truncated", whole.substr(0, whole.size() / 2)},
      {"not json", "NV memory\n"},
      {"an array", "[]"},
      {"other version", "{\"version\": 2}"},
      {"fields missing", "{\"version\": 1, \"memory_switches\": [0,0,0,0,0,0,0,0]}"},
      {"bad dots", std::string(whole).replace(whole.find("ff0f"), 4, "zz0f")},
      {"switch too big", std::string(whole).replace(whole.find("[\n  0"), 5, "[\n  256")},
      {"bad key", std::string(whole).replace(whole.find("\"key\": 16689"), 12, "\"key\": 65535")},
      {"bad baud", std::string(whole).replace(whole.find("\"9600\""), 6, "\"9601\"")},
  };
  for (const auto& [name, text] : cases) {
    const std::string path = dir / "damaged.json";
    std::ofstream(path, std::ios::binary) << text;
    StateRig rig(path);
    const Status s = rig.printer.RestoreState();
    ASSERT_FALSE(s.ok()) << name;
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    rig.Feed(DefineGraphic('B', '2'));  // a write after a refused start changes nothing
    EXPECT_EQ(ReadAll(path), text) << name;
  }
  StateRig folder(dir.path());
  EXPECT_NE(folder.printer.RestoreState().message().find("a folder"), std::string::npos);
  StateRig nowhere(dir / "no-such-folder/nv.json");
  EXPECT_NE(nowhere.printer.RestoreState().message().find("cannot write"), std::string::npos);
}

TEST(StateFileTest, MoreThanTenWritesADayAreNoted) {
  TempDir dir;
  StateRig rig(dir / "nv.json");
  ASSERT_TRUE(rig.printer.RestoreState().ok());
  auto noted = [&] {
    return rig.printer.log().back().note.find("times today") != std::string::npos;
  };
  for (int i = 1; i <= 10; ++i) rig.Feed(DefineGraphic('A', '0' + i));
  EXPECT_FALSE(noted());
  rig.Feed(DefineGraphic('B', '1'));
  EXPECT_TRUE(noted());
  EXPECT_NE(rig.printer.log().back().note.find("written 11 times"), std::string::npos);
  rig.day = "2026-12-09";
  rig.Feed(DefineGraphic('B', '2'));
  EXPECT_FALSE(noted());
  EXPECT_EQ(rig.printer.nv_memory().writes_total, 12);
}

TEST(SetupTest, PaperWidthAndDensityShowInTheNextTicket) {
  PrinterRig rig;
  const auto ticket = Bytes({'H', 'H', '\n', GS, 'V', 0});
  rig.Feed(ticket);
  rig.Feed(Cat({kEnter, UserSetup(Bytes({5, 3, 6, 0, 5, 8, 0})), ticket}));  // not yet: no OUT
  rig.Feed(Cat({kLeave, ticket}));
  const auto& t = rig.printer.tickets();
  ASSERT_EQ(t.size(), 3u);
  auto darkest = [](const Canvas& c) {
    int v = 255;
    for (int y = 0; y < c.height(); ++y) {
      for (int x = 0; x < c.width(); ++x) v = std::min<int>(v, c.At(x, y));
    }
    return v;
  };
  EXPECT_EQ(t[0].width(), 480);
  EXPECT_EQ(t[1].width(), 480);
  EXPECT_EQ(darkest(t[1]), darkest(t[0]));
  EXPECT_EQ(t[2].width(), 640);  // 80 mm paper
  EXPECT_LT(darkest(t[2]), darkest(t[0]));
}

TEST(TestPrintTest, HexDumpPrintsEveryByteInsteadOfCarryingItOut) {
  PrinterRig rig;
  rig.Feed(Cat({Bytes({GS, '(', 'A', 2, 0, 0, 1}), Bytes({'A', 'B', 0x1B, '@', 0x0A})}));
  rig.printer.Shutdown();
  std::vector<std::string> dumped;
  for (const LogEntry& e : rig.printer.log()) {
    EXPECT_NE(e.command, "ESC @");
    if (e.command.rfind("hex dump", 0) == 0) dumped.push_back(e.command);
  }
  ASSERT_EQ(dumped.size(), 1u);
  EXPECT_EQ(dumped[0],
            "hex dump (the bytes so far): 41 42 1B 40 0A " + std::string(12, ' ') + " AB.@.");
  EXPECT_TRUE(rig.printer.hex_dump());
}

TEST(TestPrintTest, StatusPageAndRollingPatternAreTicketsOfTheirOwn) {
  PrinterRig rig;
  rig.Feed(Bytes({'x', GS, '(', 'A', 2, 0, 0, 2, GS, '(', 'A', 2, 0, 0, 3}));
  ASSERT_EQ(rig.printer.tickets().size(), 3u);  // the ticket in progress ends first
  EXPECT_GT(rig.printer.tickets()[1].height(), 400);
  EXPECT_GT(rig.printer.tickets()[2].height(), 300);
}

TEST(StateFileProcessTest, ARestartedPrinterPrintsTheGraphicDefinedBefore) {
  TempDir dir;
  auto write = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return dir / name;
  };
  const std::string state = dir / "nv.json";
  const auto define = write("define.bin", DefineGraphic('L', 'G'));
  const auto print = write("print.bin", Bytes({GS, '(', 'L', 6, 0, 48, 69, 'L', 'G', 2, 2}));
  auto run = [&](const std::string& file) {
    return testing::RunVPrinter(
        {"--render", file, "--state", state, "--out", dir.path(), "--quiet", "--log", dir / "log"});
  };
  EXPECT_EQ(run(define).code, 0);
  const testing::Exit printed = run(print);
  EXPECT_EQ(printed.code, 0) << printed.err;
  EXPECT_NE(printed.out.find("ticket-0001.png"), std::string::npos) << printed.out;
  EXPECT_NE(ReadAll(dir / "log").find("NV graphic key \"LG\", 16x1 dots printed, drawn 2x2"),
            std::string::npos);

  std::ofstream(state, std::ios::binary) << "{\"version\": 1, \"memory_sw";
  const testing::Exit refused = run(print);
  EXPECT_EQ(refused.code, 2);
  EXPECT_NE(refused.err.find("is damaged"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadAll(state), "{\"version\": 1, \"memory_sw");
}

}  // namespace
}  // namespace qw77::vprinter
