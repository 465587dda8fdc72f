#include "vprinter/endpoints/web/TicketRecorder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "vprinter/framing/CommandTable.h"

namespace qw77::vprinter::web {

namespace {

const char* KindName(LogEntry::Kind k) {
  switch (k) {
    case LogEntry::kCommand:
      return "command";
    case LogEntry::kText:
      return "text";
    case LogEntry::kUnknown:
      return "unknown";
    case LogEntry::kMalformed:
      return "malformed";
    case LogEntry::kTruncated:
      return "truncated";
    case LogEntry::kEvent:
      return "event";
  }
  return "?";
}

// "ticket 7 ends" and "ticket 7 part 2, ..." are the printer's own events.
int TicketNumberOf(const LogEntry& e, const char* form) {
  int n = 0;
  if (e.kind != LogEntry::kEvent || std::sscanf(e.command.c_str(), form, &n) != 1) return 0;
  return n;
}

bool IsTicketEnd(const LogEntry& e) {
  return TicketNumberOf(e, "ticket %d ends") > 0 && e.command.ends_with(" ends");
}

std::string Hex(std::span<const std::uint8_t> b) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  for (std::uint8_t v : b) {
    if (!s.empty()) s += ' ';
    s += kDigits[v >> 4];
    s += kDigits[v & 15];
  }
  return s;
}

std::int64_t WallMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

TicketRecorder::TicketRecorder(Printer& printer, TicketHistory& history, EventStream& events,
                               std::size_t max_ticket_bytes)
    : printer_(printer), history_(history), events_(events), max_ticket_bytes_(max_ticket_bytes) {
  printer_.on_bytes = [this](Source src, std::span<const std::uint8_t> b) { OnBytes(src, b); };
  printer_.on_log = [this](const LogEntry& e) { OnLog(e); };
  printer_.on_picture = [this](const Canvas& c) {
    width_ = c.width();
    dots_ += c.height();
  };
  printer_.on_ticket = [this](const std::string& saved) { OnTicket(saved); };
}

void TicketRecorder::OnBytes(Source src, std::span<const std::uint8_t> bytes) {
  if (ending_) Finish();
  Stream& s = streams_[static_cast<std::size_t>(src)];
  const std::size_t room = max_ticket_bytes_ - std::min(max_ticket_bytes_, s.bytes.size());
  // Once bytes were left out the rest would not line up with their offsets: none are kept
  // until the next ticket starts.
  const std::size_t kept = s.cut_short ? 0 : std::min(room, bytes.size());
  s.bytes.insert(s.bytes.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept));
  s.cut_short = s.cut_short || kept < bytes.size();
  s.end += bytes.size();
  last_source_ = src;
}

void TicketRecorder::OnLog(const LogEntry& entry) {
  if (ending_) Finish();
  if (entries_.size() < kMaxCommands) {
    entries_.push_back(entry);
  } else {
    ++entries_dropped_;
  }
  const std::string line = entry.Format();
  if (log_text_.size() + line.size() < kMaxLogBytes) {
    log_text_ += line + '\n';
  } else {
    ++log_lines_dropped_;
  }
  previous_ = std::move(last_);
  last_ = entry;
  ending_ = IsTicketEnd(entry);
}

void TicketRecorder::OnTicket(const std::string& saved) {
  if (!saved.empty()) pictures_.push_back(std::filesystem::path(saved).filename().string());
  if (ending_) Finish();
}

std::size_t TicketRecorder::EndOffset(const LogEntry& end_event) const {
  // A ticket ended by a command (a cut, the closing feed) stops after that command, which
  // was logged just before; bytes after it in the same piece belong to the next ticket.
  // One ended by the idle time or the end of the session has everything received.
  const Stream& s = streams_[static_cast<std::size_t>(end_event.source)];
  if (previous_.kind == LogEntry::kCommand && previous_.source == end_event.source &&
      previous_.offset >= s.base && previous_.offset - s.base < s.bytes.size()) {
    const std::span<const std::uint8_t> from(s.bytes.data() + (previous_.offset - s.base),
                                             s.bytes.size() - (previous_.offset - s.base));
    const Match m = MatchCommand(from, true);
    if (m.kind == Match::kCommand) return std::min(s.end, previous_.offset + m.length);
  }
  return std::clamp(end_event.offset, s.base, s.end);
}

nlohmann::json TicketRecorder::Commands(const Stream& s, Source src, std::size_t end) const {
  nlohmann::json list = nlohmann::json::array();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const LogEntry& e = entries_[i];
    nlohmann::json c = {{"kind", KindName(e.kind)}, {"source", SourceName(e.source)},
                        {"name", e.command},        {"params", e.params},
                        {"note", e.note},           {"at", nullptr}};
    if (e.kind != LogEntry::kEvent && e.source == src && e.offset >= s.base && e.offset < end) {
      // Its bytes run to where the next entry of the same stream starts.
      std::size_t stop = end;
      for (std::size_t j = i + 1; j < entries_.size(); ++j) {
        const LogEntry& n = entries_[j];
        if (n.kind != LogEntry::kEvent && n.source == src && n.offset > e.offset) {
          stop = std::min(stop, n.offset);
          break;
        }
      }
      const std::size_t at = e.offset - s.base;
      c["at"] = at;
      c["length"] = stop - e.offset;
      const std::size_t shown =
          std::min({stop - e.offset, kHexBytes, s.bytes.size() - std::min(at, s.bytes.size())});
      c["hex"] = Hex({s.bytes.data() + std::min(at, s.bytes.size()), shown});
    }
    list.push_back(std::move(c));
  }
  return list;
}

void TicketRecorder::Finish() {
  ending_ = false;
  const LogEntry end_event = last_;
  const Source src = end_event.source;
  Stream& s = streams_[static_cast<std::size_t>(src)];
  const std::size_t end = EndOffset(end_event);

  TicketRecord r;
  r.number = TicketNumberOf(end_event, "ticket %d ends");
  char stem[32];
  std::snprintf(stem, sizeof stem, "ticket-%04d", r.number);
  r.stem = stem;
  if (!pictures_.empty()) r.stem = pictures_.front().substr(0, pictures_.front().size() - 4);
  r.time_ms = WallMs();
  r.bytes = static_cast<std::int64_t>(end - s.base);
  r.width = width_;
  r.dots = dots_;
  r.source = SourceName(src);
  r.pictures = pictures_;
  const std::size_t kept = std::min(end - s.base, s.bytes.size());
  r.bin_cut_short = kept < end - s.base;
  nlohmann::json commands = Commands(s, src, end);
  WriteFiles(r, s, kept, commands);
  history_.Add(r);
  events_.Publish("ticket", r.ToJson().dump());

  // What came after the ticket's end starts the next one.
  s.bytes.erase(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(kept));
  s.base = end;
  s.cut_short = s.bytes.size() < s.end - s.base;
  entries_.clear();
  entries_dropped_ = 0;
  log_text_.clear();
  log_lines_dropped_ = 0;
  pictures_.clear();
  width_ = 0;
  dots_ = 0;
  progress_sent_ = 0;
}

void TicketRecorder::WriteFiles(TicketRecord& r, const Stream& s, std::size_t length,
                                const nlohmann::json& commands) {
  r.has_bin = Write(r.stem + ".bin", s.bytes.data(), length);
  std::string log = log_text_;
  if (log_lines_dropped_ > 0) {
    log += "... " + std::to_string(log_lines_dropped_) + " more lines in the printer's log\n";
  }
  r.has_log = Write(r.stem + ".log", log.data(), log.size());
  nlohmann::json meta = r.ToJson();
  meta["commands"] = commands;
  meta["commands_left_out"] = entries_dropped_;
  const std::string text = meta.dump();
  Write(r.stem + ".json", text.data(), text.size());
}

bool TicketRecorder::Write(const std::string& name, const void* data, std::size_t size) {
  const std::string path = history_.PathOf(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (out) return true;
  ++files_not_written_;
  std::cerr << "qw77-vprinter: cannot write " << path << "\n";
  return false;
}

void TicketRecorder::PublishProgress(std::int64_t now_ms, std::int64_t min_gap_ms) {
  const Stream& s = streams_[static_cast<std::size_t>(last_source_)];
  // Status requests between tickets are bytes too, but no ticket is on its way.
  const std::size_t pending = printer_.ticket_in_progress() ? s.end - s.base : 0;
  if (pending == progress_sent_ || now_ms - progress_at_ms_ < min_gap_ms) return;
  progress_sent_ = pending;
  progress_at_ms_ = now_ms;
  events_.Publish("progress",
                  nlohmann::json{{"source", SourceName(last_source_)}, {"bytes", pending}}.dump());
}

}  // namespace qw77::vprinter::web
