// The web view's parts that need no HTTP: how the recorder cuts the printer's stream into
// tickets and what it keeps of each, the event stream's bound, and which names the history
// may hand out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "vprinter/endpoints/web/EventStream.h"
#include "vprinter/endpoints/web/TicketHistory.h"
#include "vprinter/endpoints/web/TicketRecorder.h"
#include "vprinter/endpoints/web/WebApi.h"

namespace qw77::vprinter::web {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;  // the tickets' bytes hold NULs

std::vector<std::uint8_t> B(const std::string& s) {
  return {s.begin(), s.end()};
}

std::string FileText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qw77-web-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    auto fonts = Fonts::LoadDefault();
    ASSERT_TRUE(fonts) << fonts.status().message();
    PrinterOptions po;
    po.out_dir = dir_.string();
    po.idle_ms = 100;
    printer_ = std::make_unique<Printer>(*fonts, status_, po);
    history_ = std::make_unique<TicketHistory>(dir_.string());
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Record(std::size_t max_bytes = TicketRecorder::kMaxTicketBytes) {
    recorder_ = std::make_unique<TicketRecorder>(*printer_, *history_, events_, max_bytes);
  }
  // Feeds the stream in pieces of `piece` bytes over TCP.
  void Feed(const std::vector<std::uint8_t>& bytes, std::size_t piece, Millis now = 0) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      const std::size_t n = std::min(piece, bytes.size() - at);
      printer_->Feed(Source::kTcp, {bytes.data() + at, n}, now);
    }
  }

  fs::path dir_;
  StatusModel status_;
  EventStream events_;
  std::unique_ptr<Printer> printer_;
  std::unique_ptr<TicketHistory> history_;
  std::unique_ptr<TicketRecorder> recorder_;
};

// A cut ends a ticket right after it, however the bytes came in pieces; the idle time ends
// one with everything received.
TEST_F(RecorderTest, TicketsEndWhereTheirLastCommandEnds) {
  Record();
  const std::string first = "AB\n\x1dV\x01", second =
                                                 "CD\n\x1b"
                                                 "J\x05"
                                                 "E\n";
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{100}}) {
    SCOPED_TRACE(piece);
    history_->Clear();
    Feed(B(first + second), piece);
    printer_->Tick(10000);
    const std::vector<TicketRecord> list = history_->List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(FileText(dir_ / (list[1].stem + ".bin")), first);
    EXPECT_EQ(FileText(dir_ / (list[0].stem + ".bin")), second);
    EXPECT_EQ(list[1].bytes, static_cast<std::int64_t>(first.size()));
    EXPECT_EQ(list[0].bytes, static_cast<std::int64_t>(second.size()));
    EXPECT_EQ(list[1].source, "tcp");
    EXPECT_GT(list[1].dots, 0);
    EXPECT_EQ(list[1].pictures, std::vector<std::string>{list[1].stem + ".png"});
    EXPECT_NE(FileText(dir_ / (list[1].stem + ".log")).find("GS V m=1"), std::string::npos);
  }
}

TEST_F(RecorderTest, EachCommandGetsItsOwnBytes) {
  Record();
  Feed(B("Hi\n\x1b!\x08X\x1dV\x00"s), 100);
  const nlohmann::json meta = nlohmann::json::parse(FileText(dir_ / "ticket-0001.json"));
  std::vector<std::tuple<std::string, std::string, std::size_t>> got;
  for (const auto& c : meta["commands"]) {
    if (!c["at"].is_null()) got.emplace_back(c["name"], c["hex"], c["at"]);
  }
  const std::vector<std::tuple<std::string, std::string, std::size_t>> want = {
      {"TEXT", "48 69", 0},
      {"LF", "0A", 2},
      {"ESC !", "1B 21 08", 3},
      {"TEXT", "58", 6},
      {"GS V", "1D 56 00", 7}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(meta["commands"].back()["kind"], "event");
}

// The bytes kept for the .bin file stop at the bound; the count goes on.
TEST_F(RecorderTest, KeptBytesStopAtTheBound) {
  const std::string ticket = "0123456\n\x1dV\x00"s;  // 11 bytes
  for (std::size_t bound : {ticket.size(), ticket.size() - 1}) {
    SCOPED_TRACE(bound);
    Record(bound);
    history_->Clear();
    Feed(B(ticket), 4);
    const std::vector<TicketRecord> list = history_->List();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].bytes, 11);
    EXPECT_EQ(list[0].bin_cut_short, bound < ticket.size());
    EXPECT_EQ(FileText(dir_ / (list[0].stem + ".bin")), ticket.substr(0, bound));
  }
}

TEST_F(RecorderTest, EachTicketIsPublishedAsItEnds) {
  Record();
  const std::uint64_t before = events_.last_id();
  Feed(B("A\n\x1dV\x00"s), 100);
  const std::vector<Event> got = events_.After(before, std::chrono::milliseconds(0));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].type, "ticket");
  EXPECT_EQ(nlohmann::json::parse(got[0].data)["number"], 1);
}

TEST(EventStreamTest, AReaderTooFarBehindIsToldItMissedSome) {
  for (std::size_t behind : {EventStream::kKept, EventStream::kKept + 1}) {
    SCOPED_TRACE(behind);
    EventStream events;
    for (std::size_t i = 0; i < behind; ++i) events.Publish("progress", "{}");
    const std::vector<Event> got = events.After(0, std::chrono::milliseconds(0));
    if (behind <= EventStream::kKept) {
      EXPECT_EQ(got.size(), behind);
    } else {
      ASSERT_EQ(got.size(), 1u);
      EXPECT_EQ(got[0].type, "missed");
      EXPECT_EQ(got[0].id, behind);
    }
  }
}

TEST(EventStreamTest, CloseWakesAWaitingReader) {
  EventStream events;
  events.Close();
  EXPECT_TRUE(events.After(0, std::chrono::hours(1)).empty());
}

TEST(TicketHistoryTest, OnlyPlainTicketNamesAreHandedOut) {
  const std::pair<const char*, bool> cases[] = {
      {"ticket-0007.png", true},          {"ticket-0007-part2.png", true},
      {"ticket-0008-selftest.png", true}, {"ticket-0007.bin", true},
      {"ticket-0007.log", true},          {"ticket-0007.json", true},
      {"../ticket-0007.png", false},      {"ticket-0007.png/..", false},
      {"ticket-../x.png", false},         {"/etc/passwd", false},
      {"ticket-0007.txt", false},         {"ticket-.png", false},
      {"ticket-0007.png\n", false},       {"x/ticket-0007.png", false},
  };
  for (const auto& [name, ok] : cases) EXPECT_EQ(IsTicketFileName(name), ok) << name;
  EXPECT_EQ(TicketHistory("/tmp").PathOf("../x.png"), "");
  TicketRecord r;
  r.number = 3;
  r.stem = "ticket-0003";
  r.pictures = {"../../etc/passwd"};
  EXPECT_FALSE(TicketRecord::FromJson(r.ToJson()));
  r.pictures = {"ticket-0003.png"};
  EXPECT_TRUE(TicketRecord::FromJson(r.ToJson()));
}

TEST(WebApiTest, OnlyLoopbackHostNamesAreAnswered) {
  const std::pair<const char*, bool> cases[] = {
      {"127.0.0.1:8080", true},
      {"127.0.0.1", true},
      {"localhost:80", true},
      {"[::1]:8080", true},
      {"127.1.2.3:9", true},
      {"", false},
      {"evil.example:8080", false},
      {"127.0.0.1.evil.example", false},
      {"128.0.0.1:8080", false},
      {"[::2]:8080", false},
      {"[::1", false},
      {"localhost.evil:80", false},
      {"127.0.0:80", false},
  };
  for (const auto& [host, ok] : cases) EXPECT_EQ(IsLoopbackHost(host), ok) << host;
}

}  // namespace
}  // namespace qw77::vprinter::web
