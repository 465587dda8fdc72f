// The conditions a printer can be in, and every status byte it reports, read from them by
// one set of rules: the real-time replies, the transmitted paper and drawer status, the
// automatic status back and the parallel status lines never disagree.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qw77::vprinter {

struct Conditions {
  bool paper_out = false;     // the roll is empty: printing stops at its end
  bool cover_open = false;    // the cover is open, the head lifted
  bool head_voltage = false;  // head supply out of range
  bool cutter = false;        // cutter jammed
  bool black_mark = false;    // black mark not found
  bool temperature = false;   // head too hot
  bool hardware = false;      // a fault of the mechanism's electronics
  bool near_end = false;      // the roll is running out (a warning, not an error)

  bool AnyError() const {
    return paper_out || cover_open || head_voltage || cutter || black_mark || temperature ||
           hardware;
  }
  std::string Describe() const;
};

// What the printer's sensors and error latches say. Every reply is made from this alone.
struct PrinterState {
  bool offline = false;          // any error stands: the printer takes no data to print
  bool head_up = false;          // cover open, or the head lifted by an empty roll
  bool paper_stop = false;       // printing stopped by the paper end
  bool error = false;            // an error occurred
  bool near_end_sensor = false;  // an empty roll is also near its end
  bool paper_end_sensor = false;
  bool cover_open = false;
  bool mechanism = false;  // a fault of the mechanism
  bool cutter = false;
  bool black_mark = false;
  bool unrecoverable = false;     // head voltage or hardware: only a reset helps
  bool auto_recoverable = false;  // head temperature: clears as the head cools
  bool head_voltage = false;
};

PrinterState StateOf(const Conditions& c);

// DLE EOT n (1..4); the bytes' fixed bits (1 and 4 set) for any other n.
std::uint8_t RealTimeStatus(const PrinterState& s, int n);
// GS r 1: the paper sensors, near end 03 and paper end 0C.
std::uint8_t PaperSensorStatus(const PrinterState& s);
// GS r 2: the drawer connector; no drawer, so pin 3 reads low.
std::uint8_t DrawerStatus(const PrinterState& s);
// GS a: printer (offline 08, cover open 20, with 10 fixed), errors (black mark 04, cutter
// 08, unrecoverable 20, automatically recoverable 40), paper sensors (as GS r 1), reserved.
std::array<std::uint8_t, 4> AutomaticStatus(const PrinterState& s);
// The parallel status register: bits 3..6 (nERROR 08, SELECT 10, PAPER END 20, nACK 40)
// show one condition at a time, the most serious; bit 7 is the inverted BUSY line.
std::uint8_t ParallelLines(const PrinterState& s, bool busy);

}  // namespace qw77::vprinter
