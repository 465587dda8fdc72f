// Keeps what the page shows of each ticket beside its picture in the ticket folder: its
// bytes (ticket-0007.bin), the printer's log lines about them (ticket-0007.log) and its
// metadata with every command's bytes and what it did (ticket-0007.json). Runs on the
// printer's thread, from the printer's hooks; publishes each ticket as it ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "vprinter/endpoints/web/EventStream.h"
#include "vprinter/endpoints/web/TicketHistory.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter::web {

class TicketRecorder {
 public:
  // A ticket's bytes kept for its .bin file; a longer ticket keeps its first ones.
  static constexpr std::size_t kMaxTicketBytes = std::size_t{16} << 20;
  // Log entries kept for one ticket's command view; the .log file gets them all the same.
  static constexpr std::size_t kMaxCommands = 5000;
  // The log lines kept for one ticket's .log file (the printer's --log file gets them all).
  static constexpr std::size_t kMaxLogBytes = std::size_t{8} << 20;
  // The bytes of each command shown in hex.
  static constexpr std::size_t kHexBytes = 64;

  // Sets the printer's ticket, picture, byte and log hooks.
  TicketRecorder(Printer& printer, TicketHistory& history, EventStream& events,
                 std::size_t max_ticket_bytes = kMaxTicketBytes);

  // Publishes how many bytes the ticket in progress has so far, when that changed and
  // `min_gap_ms` has passed since the last such event. `now_ms` is a steady clock reading.
  void PublishProgress(std::int64_t now_ms, std::int64_t min_gap_ms = 100);
  int files_not_written() const { return files_not_written_; }

 private:
  struct Stream {
    std::size_t base = 0;             // stream offset of the ticket in progress's first byte
    std::size_t end = 0;              // stream offset after the last byte received
    std::vector<std::uint8_t> bytes;  // from `base`, at most kMaxTicketBytes
    bool cut_short = false;
  };
  void OnBytes(Source src, std::span<const std::uint8_t> bytes);
  void OnLog(const LogEntry& entry);
  void OnTicket(const std::string& saved);
  void Finish();
  // Where the ticket that ended with `end_event` stops in its stream.
  std::size_t EndOffset(const LogEntry& end_event) const;
  nlohmann::json Commands(const Stream& s, Source src, std::size_t end) const;
  // Writes the ticket's files and notes in `r` which of them there are.
  void WriteFiles(TicketRecord& r, const Stream& s, std::size_t length,
                  const nlohmann::json& commands);
  bool Write(const std::string& name, const void* data, std::size_t size);

  Printer& printer_;
  TicketHistory& history_;
  EventStream& events_;
  std::size_t max_ticket_bytes_;
  std::array<Stream, 4> streams_;
  Source last_source_ = Source::kFile;
  std::vector<LogEntry> entries_;  // since the last ticket ended
  std::size_t entries_dropped_ = 0;
  std::string log_text_;  // the same as lines, for the .log file, at most kMaxLogBytes
  std::size_t log_lines_dropped_ = 0;
  LogEntry previous_, last_;
  std::vector<std::string> pictures_;
  int width_ = 0;
  std::int64_t dots_ = 0;
  bool ending_ = false;  // the end was logged; its picture's file may follow
  std::int64_t progress_at_ms_ = 0;
  std::size_t progress_sent_ = 0;
  int files_not_written_ = 0;
};

}  // namespace qw77::vprinter::web
