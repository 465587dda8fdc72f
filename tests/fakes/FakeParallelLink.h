// A parallel link with a printer's status lines behind it and a record of every access in
// order; refusals are staged by count.
#pragma once

#include <functional>
#include <vector>

#include "platform/ParallelLink.h"

namespace qw77::testing {

struct ParallelEvent {
  enum Kind { kData, kControl, kStatus } kind;
  std::uint8_t data = 0;           // kData: the byte on the data lines
  ParallelControlLines control{};  // kControl: the lines set
};

class FakeParallelLink : public ParallelLink {
 public:
  Status Open() override;
  void Close() override { ++closes; }
  bool Present() const override { return present; }
  Status WriteData(std::uint8_t byte) override;
  Status SetControl(const ParallelControlLines& lines) override;
  Result<ParallelStatusLines> ReadStatus() override;
  Status Flush() override { return flush_result; }

  bool present = false;  // a port behind the link
  Status open_result;    // what Open answers
  Status flush_result;
  // The lines a status read answers; default: `status`.
  std::function<ParallelStatusLines()> on_status;
  ParallelStatusLines status;
  std::function<void(const ParallelControlLines&)> on_control;
  std::vector<ParallelEvent> log;  // the accesses that went through
  bool refuse_all = false;         // every access fails
  int refuse_after = -1;           // accesses that go through before the refusals start (-1: never)
  int opens = 0;
  int closes = 0;

  // Every access tried, refused ones included.
  int Attempts() const { return accesses_; }

 private:
  Status Refusal();
  int accesses_ = 0;
};

}  // namespace qw77::testing
