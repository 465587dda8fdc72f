// What the printer reports about itself, and the misbehaviours it can be told to show.
// Pure rules: the endpoints ask it what to answer and when to stop.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "vprinter/printer/StatusBits.h"

namespace qw77::vprinter {

struct Faults {
  bool silent = false;             // answers no status request at all
  int answer_limit = -1;           // answers this many requests, then none (-1: no limit)
  bool stall_after_reply = false;  // stops reading the line once it has answered a request
  long stall_after_bytes = -1;     // stops reading the line after this many bytes (-1: never)
  long hang_up_after_bytes = -1;   // closes the line after this many bytes (-1: never)
  int busy_ms = 0;                 // parallel: busy this long after the first byte of a job
  bool busy_forever = false;       // parallel: never ready
};

class StatusModel {
 public:
  StatusModel() = default;
  StatusModel(Conditions conditions, Faults faults) : conditions_(conditions), faults_(faults) {}

  Conditions& conditions() { return conditions_; }
  const Conditions& conditions() const { return conditions_; }
  Faults& faults() { return faults_; }
  const Faults& faults() const { return faults_; }

  // The state every reply is read from (StatusBits.h).
  PrinterState State() const { return StateOf(conditions_); }
  // The byte the printer sends for the real-time status request n (1..4).
  std::uint8_t SerialReply(int n) const { return RealTimeStatus(State(), n); }
  // Counts a request and says what to send back: nothing while the printer plays silent.
  std::optional<std::uint8_t> AnswerRequest(int n);
  // Counts a request of any kind (a status, an ID) and says whether to answer it at all.
  bool MayAnswer();
  int requests_seen() const { return requests_seen_; }

  // The paper sensors as the transmit-status command reports them.
  std::uint8_t PaperSensorStatus() const { return vprinter::PaperSensorStatus(State()); }
  // The four bytes of automatic status back.
  std::array<std::uint8_t, 4> AutoStatus() const { return AutomaticStatus(State()); }

  // The faults that go by the bytes a stream has taken (the serial line, or one TCP
  // connection): how many of `want` bytes it may read now, so that no limit is passed, and
  // whether it stalls or hangs up once it has taken `received`.
  std::size_t ReadAllowance(long received, std::size_t want) const;
  bool StallsAt(long received) const {
    return faults_.stall_after_bytes >= 0 && received >= faults_.stall_after_bytes;
  }
  bool HangsUpAt(long received) const {
    return faults_.hang_up_after_bytes >= 0 && received >= faults_.hang_up_after_bytes;
  }

  // The parallel status register. Only one condition can show at a time on the four
  // status lines; the most serious one wins.
  std::uint8_t ParallelStatus(bool busy) const { return ParallelLines(State(), busy); }

 private:
  Conditions conditions_;
  Faults faults_;
  int requests_seen_ = 0;
  int requests_answered_ = 0;
};

}  // namespace qw77::vprinter
