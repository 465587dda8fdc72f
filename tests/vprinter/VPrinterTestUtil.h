// Shared helpers of the virtual printer's tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "vprinter/Printer.h"

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

// A printer that keeps its tickets in memory.
struct PrinterRig {
  explicit PrinterRig(Conditions c = {}, Faults f = {}, int paper_dots = 448)
      : status(c, f), printer(TestFonts(), status, [&] {
          PrinterOptions o;
          o.paper.printable_dots = paper_dots;
          return o;
        }()) {
    printer.on_serial_reply = [this](std::uint8_t b) { replies.push_back(b); };
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
  std::vector<std::uint8_t> replies;
};

}  // namespace qw77::vprinter::testing
