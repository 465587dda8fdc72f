// Shared helpers of the virtual printer's tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "vprinter/printer/Printer.h"

namespace qw77::vprinter::testing {

inline std::shared_ptr<const Fonts> TestFonts() {
  static Result<std::shared_ptr<const Fonts>> fonts = Fonts::LoadDefault();
  if (!fonts) ADD_FAILURE() << fonts.status().message();
  return fonts ? *fonts : std::make_shared<Fonts>();
}

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<std::uint8_t> v;
  for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
  return v;
}

// Every byte of a string literal, embedded NULs included, without the closing one.
template <std::size_t N>
std::vector<std::uint8_t> Bytes(const char (&s)[N]) {
  return std::vector<std::uint8_t>(s, s + N - 1);
}

inline std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A folder of the test's own under the system's temporary folder, removed with everything
// in it. Its path stays short: Unix-domain sockets are made in it.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
      const std::filesystem::path path =
          base / ("qw77-vprinter-" + std::to_string(random() % 1000000));
      if (std::filesystem::create_directory(path)) {
        path_ = path.string();
        return;
      }
    }
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Whether the scanner program (zbarimg, from zbar-tools) is there to read barcodes back.
inline bool HaveZbarimg() {
  return std::system("command -v zbarimg >/dev/null 2>&1") == 0;
}

// Every symbol zbarimg finds in a picture, one line each: "TYPE:data", or with `raw` the
// data alone.
inline std::vector<std::string> ScanBarcodes(const std::string& png, bool raw = false) {
  const std::string command =
      std::string("zbarimg -q --nodbus ") + (raw ? "--raw " : "") + "'" + png + "' 2>/dev/null";
  std::vector<std::string> read;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return read;
  std::array<char, 4096> line{};
  while (std::fgets(line.data(), line.size(), pipe)) {
    std::string s(line.data());
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    read.push_back(s);
  }
  pclose(pipe);
  return read;
}

// A printer that keeps its tickets in memory.
struct PrinterRig {
  explicit PrinterRig(Conditions c = {}, Faults f = {}, int paper_dots = 448,
                      int part_rows = kMaxPartRows)
      : status(c, f), printer(TestFonts(), status, [&] {
          PrinterOptions o;
          o.paper.printable_dots = paper_dots;
          o.part_rows = part_rows;
          return o;
        }()) {
    printer.AttachReplies(Source::kSerial, &collected);
  }
  void Feed(const std::vector<std::uint8_t>& bytes, Source src = Source::kSerial) {
    printer.Feed(src, bytes, 0);
  }
  // The log without the printer's own events.
  std::vector<LogEntry> Commands() const {
    std::vector<LogEntry> out;
    for (const LogEntry& e : printer.log()) {
      if (e.kind != LogEntry::kEvent) out.push_back(e);
    }
    return out;
  }
  StatusModel status;
  Printer printer;
  CollectedReplies collected;
  std::vector<std::uint8_t>& replies = collected.bytes;
};

// What the one log line of a single command must say; a part left empty is not checked.
struct OneLine {
  LogEntry::Kind kind;
  std::optional<std::string> command;
  std::optional<std::string> params;
  std::string note_part;  // must appear in the note
};

// The command is whole and alone: the log holds exactly its line (nothing after it was
// taken for text), of the kind, name and parameters expected, with the note's part in it.
inline void ExpectOneLogLine(const std::vector<LogEntry>& log, const OneLine& want) {
  ASSERT_EQ(log.size(), 1u) << (log.empty() ? "no line" : log.back().Format());
  const LogEntry& e = log[0];
  EXPECT_EQ(e.kind, want.kind) << e.Format();
  EXPECT_EQ(e.command, want.command.value_or(e.command)) << e.Format();
  EXPECT_EQ(e.params, want.params.value_or(e.params)) << e.Format();
  EXPECT_NE(e.note.find(want.note_part), std::string::npos) << e.Format();
}

}  // namespace qw77::vprinter::testing
