#include "vprinter/printer/Printer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "vprinter/printer/LogText.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

// Requests that print nothing and change no setting: a host asking for the status before a
// ticket (or instead of one) does not hold the other interfaces back.
bool AsksOnly(CommandId id) {
  using enum CommandId;
  return id == kStatusRequest || id == kRealTimeRequest || id == kTransmitStatus ||
         id == kPrinterId;
}

// ticket-0007.png; a ticket too tall for one picture goes on in ticket-0007-part2.png, ...
std::string PictureName(int ticket, const std::string& suffix, int part) {
  char name[64];
  std::snprintf(name, sizeof name, "ticket-%04d%s", ticket, suffix.c_str());
  return std::string(name) + (part > 1 ? "-part" + std::to_string(part) : "") + ".png";
}

// The highest number of a ticket picture in `dir` (ticket-0042.png, ticket-0042-part2.png,
// ticket-0042-selftest.png all count as 42), 0 when there is none.
int HighestTicketIn(const std::string& dir) {
  int highest = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("ticket-", 0) != 0 || !name.ends_with(".png")) continue;
    int n = 0;
    const char* digits = name.data() + 7;
    const auto [end, err] = std::from_chars(digits, name.data() + name.size(), n);
    if (err == std::errc{} && end != digits) highest = std::max(highest, n);
  }
  return highest;
}

}  // namespace

const char* SourceName(Source s) {
  switch (s) {
    case Source::kSerial:
      return "serial";
    case Source::kParallel:
      return "parallel";
    case Source::kFile:
      return "file";
    case Source::kTcp:
      return "tcp";
  }
  return "?";
}

std::string LogEntry::Format() const {
  std::string s = std::string(SourceName(source)) + " @" + std::to_string(offset) + " ";
  switch (kind) {
    case kUnknown:
      s += "UNKNOWN ";
      break;
    case kMalformed:
      s += "MALFORMED ";
      break;
    case kTruncated:
      s += "TRUNCATED ";
      break;
    case kEvent:
      s += "-- ";
      break;
    default:
      break;
  }
  s += command;
  if (!params.empty()) s += " " + params;
  if (kind == kText) return s + " (" + note + ")";
  if (!note.empty()) s += "  : " + note;
  return s;
}

class Printer::Port : public CommandSink {
 public:
  Port(Printer& printer, Source source) : printer_(printer), source_(source), interp_(*this) {}
  void OnCommand(const CommandDef& def, std::size_t offset,
                 std::span<const std::uint8_t> b) override {
    if (!AsksOnly(def.id)) printer_.Claim(source_);
    printer_.OnCommand(source_, def, offset, b);
  }
  void OnText(std::size_t offset, std::uint8_t byte) override {
    printer_.Claim(source_);
    printer_.OnText(source_, offset, byte);
  }
  void OnUnknown(std::size_t offset, std::span<const std::uint8_t> b) override {
    printer_.OnUnknown(source_, offset, b);
  }
  void OnTruncated(const CommandDef* def, std::size_t offset, std::span<const std::uint8_t> b,
                   std::size_t seen, std::size_t needed) override {
    printer_.OnTruncated(source_, def, offset, b, seen, needed);
  }
  void OnOverlong(const CommandDef& def, std::size_t offset, std::span<const std::uint8_t> head,
                  std::size_t length) override {
    printer_.OnOverlong(source_, def, offset, head, length);
  }
  Interpreter& interp() { return interp_; }
  const Interpreter& interp() const { return interp_; }
  Millis last_byte = 0;
  ReplySink* replies = nullptr;

 private:
  Printer& printer_;
  Source source_;
  Interpreter interp_;
};

Printer::Printer(std::shared_ptr<const Fonts> fonts, StatusModel& status, PrinterOptions options)
    : fonts_(fonts),
      status_(status),
      options_(std::move(options)),
      renderer_(fonts_, options_.paper, options_.part_rows) {
  renderer_.on_part = [this](Canvas part) { OnPart(std::move(part)); };
  ports_.push_back(std::make_unique<Port>(*this, Source::kSerial));
  ports_.push_back(std::make_unique<Port>(*this, Source::kParallel));
  ports_.push_back(std::make_unique<Port>(*this, Source::kFile));
  ports_.push_back(std::make_unique<Port>(*this, Source::kTcp));
  if (!options_.log_path.empty()) {
    log_file_.open(options_.log_path, std::ios::out | std::ios::app);
    if (!log_file_) std::cerr << "qw77-vprinter: cannot open log " << options_.log_path << "\n";
  }
  stored_ = renderer_.text();
  renderer_.ResetModes(options_.code_page);
  // A printer started again on the same folder goes on after the tickets already there.
  if (!options_.out_dir.empty()) ticket_number_ = HighestTicketIn(options_.out_dir);
}

void Printer::StartTicketNumber() {
  ++ticket_number_;
  // A picture that has appeared meanwhile (another printer on the same folder) is not
  // written over either.
  while (!options_.out_dir.empty()) {
    const std::filesystem::path dir(options_.out_dir);
    std::error_code ec;
    if (!std::filesystem::exists(dir / PictureName(ticket_number_, "", 1), ec) &&
        !std::filesystem::exists(dir / PictureName(ticket_number_, "-selftest", 1), ec)) {
      break;
    }
    ++ticket_number_;
  }
}

Printer::~Printer() = default;

std::size_t Printer::BufferedBytes() const {
  std::size_t n = 0;
  for (const auto& port : ports_) n += port->interp().BufferedBytes();
  return n;
}

Printer::Port& Printer::PortFor(Source src) {
  return *ports_[static_cast<std::size_t>(src)];
}

void Printer::AttachReplies(Source source, ReplySink* sink) {
  PortFor(source).replies = sink;
}

void Printer::Reply(Source src, std::vector<std::uint8_t> bytes) {
  if (ReplySink* sink = PortFor(src).replies) sink->SendReply(bytes);
}

void Printer::Log(LogEntry entry) {
  if (entry.kind != LogEntry::kText) FlushText();
  const std::string line = entry.Format();
  if (log_file_.is_open()) {
    log_file_ << line << '\n' << std::flush;
    if (!log_file_) {
      // A full disk, say: said once, and the log goes on where else it goes.
      std::cerr << "qw77-vprinter: cannot write the log " << options_.log_path
                << " any more; its further lines are lost\n";
      log_file_.close();
    }
  }
  if (options_.echo_log) std::cout << line << '\n' << std::flush;
  if (on_log) on_log(entry);
  if (log_.size() == kLogEntriesKept) log_.pop_front();
  log_.push_back(std::move(entry));
}

void Printer::Note(Source source, std::string what) {
  Log({LogEntry::kEvent, source, PortFor(source).interp().BytesSeen(), std::move(what), "", ""});
}

void Printer::FlushText() {
  if (text_run_.empty()) return;
  // The text as it reads in the code page it was printed in, and the bytes that made it.
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text_run_.data()),
                                            text_run_.size());
  LogEntry e{LogEntry::kText,
             text_source_,
             text_offset_,
             text_ignored_ ? "TEXT (deselected, not printed)" : "TEXT",
             "\"" + DecodeForLog(text_page_, bytes) + "\"",
             HexBytes(bytes, kTextRunBytes)};
  text_run_.clear();
  Log(std::move(e));
}

void Printer::Feed(Source source, std::span<const std::uint8_t> bytes, Millis now) {
  CheckAutoStatus();
  CountTime(now);
  if (!key_blocks_.empty() || !key_block_sent_.empty()) {
    if (KeyListAnswer(source, bytes) && bytes.empty()) return;
  }
  Port& port = PortFor(source);
  port.last_byte = now;
  last_activity_ = now;
  last_source_ = source;
  if (on_bytes) on_bytes(source, bytes);
  port.interp().Feed(bytes);
}

void Printer::EndOfStream(Source source) {
  PortFor(source).interp().Finish();
  FlushText();
  if (owner_ == source && !TicketInProgress()) owner_.reset();
}

void Printer::Claim(Source source) {
  if (!owner_) owner_ = source;
}

void Printer::Tick(Millis now) {
  CheckAutoStatus();
  CountTime(now);
  // The counters change with every line; the state file gets them once a minute and at
  // the end of the run.
  if (counters_dirty_ && now - counters_saved_ >= 60000) {
    counters_saved_ = now;
    SaveState(last_source_);
  }
  for (auto& port : ports_) {
    if (port->interp().HasPending() && now - port->last_byte >= options_.idle_ms) {
      port->interp().Finish();
    }
  }
  if (now - last_activity_ < options_.idle_ms) return;
  FlushText();
  if (hex_dump_.on && !hex_dump_.line.empty()) HexDumpLine(true);
  if (TicketInProgress()) {
    EndTicket(last_source_, "idle for " + std::to_string(options_.idle_ms) + " ms");
  }
  owner_.reset();
}

Millis Printer::NextDeadline() const {
  Millis next = -1;
  auto consider = [&](Millis t) {
    if (next < 0 || t < next) next = t;
  };
  for (const auto& port : ports_) {
    if (port->interp().HasPending()) consider(port->last_byte + options_.idle_ms);
  }
  if (TicketInProgress() || owner_) consider(last_activity_ + options_.idle_ms);
  return next;
}

void Printer::Shutdown() {
  for (auto& port : ports_) port->interp().Finish();
  FlushText();
  if (hex_dump_.on && !hex_dump_.line.empty()) HexDumpLine(true);
  if (counters_dirty_) SaveState(last_source_);
  if (TicketInProgress()) EndTicket(last_source_, "end of session");
}

std::string Printer::Store(Canvas picture, const std::string& name, std::string& saved) {
  if (on_picture) on_picture(picture);
  std::string note;
  if (!options_.out_dir.empty()) {
    const std::string path = (std::filesystem::path(options_.out_dir) / name).string();
    const Status written = picture.WritePng(path);
    if (written.ok()) {
      ticket_files_.push_back(path);
      saved = path;
      note = " -> " + path;
    } else {
      ++tickets_not_saved_;
      note = ", NOT SAVED: " + written.message();
      std::cerr << "qw77-vprinter: " << written.message() << "\n";
    }
  } else if (options_.keep_tickets) {
    note = " (kept in memory)";
    tickets_.push_back(std::move(picture));
  } else {
    note = " (not kept)";
  }
  return note;
}

void Printer::OnPart(Canvas part) {
  // Blank paper fed before anything is printed makes no ticket, however much of it there is.
  if (parts_ == 0 && !part.inked()) {
    blank_rows_skipped_ += part.height();
    return;
  }
  if (parts_ == 0) StartTicketNumber();
  ++parts_;
  part_rows_done_ += part.height();
  const std::string what = "ticket " + std::to_string(ticket_number_) + " part " +
                           std::to_string(parts_) + ", " + std::to_string(part.height()) +
                           " dots; it goes on";
  std::string saved;
  const std::string note = Store(std::move(part), PictureName(ticket_number_, "", parts_), saved);
  Log({LogEntry::kEvent, last_source_, PortFor(last_source_).interp().BytesSeen(), what, "",
       note.substr(note.find_first_not_of(" ,"))});
  if (on_ticket) on_ticket(saved);
}

void Printer::EndTicket(Source src, const std::string& why, const std::string& suffix) {
  Canvas page = renderer_.TakeTicket();
  if (parts_ == 0) StartTicketNumber();
  const int part = parts_ + 1;
  const std::int64_t rows = part_rows_done_ + page.height();
  std::string note = why + ", " + std::to_string(rows) + " dots long";
  if (parts_ > 0) note += " in " + std::to_string(page.height() > 0 ? part : parts_) + " parts";
  if (blank_rows_skipped_ > 0) {
    note += "; " + std::to_string(blank_rows_skipped_) +
            " dots of blank paper fed before it are not drawn";
  }
  // The last part may be empty when the ticket ended right at a cut.
  const bool stored = parts_ == 0 || page.height() > 0;
  std::string saved;
  if (stored) note += Store(std::move(page), PictureName(ticket_number_, suffix, part), saved);
  Log({LogEntry::kEvent, src, PortFor(src).interp().BytesSeen(),
       "ticket " + std::to_string(ticket_number_) + " ends", "", note});
  parts_ = 0;
  part_rows_done_ = 0;
  blank_rows_skipped_ = 0;
  owner_.reset();
  if (stored && on_ticket) on_ticket(saved);
}

void Printer::OnText(Source src, std::size_t offset, std::uint8_t byte) {
  if (hex_dump_.on) {
    HexDumpTakes({&byte, 1});
    return;
  }
  const int page = renderer_.modes().code_page;
  if (!text_run_.empty() && (text_source_ != src || text_page_ != page ||
                             text_ignored_ != deselected_ || text_run_.size() >= kTextRunBytes)) {
    FlushText();
  }
  if (text_run_.empty()) {
    text_source_ = src;
    text_offset_ = offset;
    text_page_ = page;
    text_ignored_ = deselected_;
  }
  text_run_ += static_cast<char>(byte);
  if (deselected_) return;
  nv_.counters.Add(Counter::kCharacters, 1);
  counters_dirty_ = true;
  // A user-defined character, when the set is selected and the code has one in this font.
  std::shared_ptr<const Bitmap> pattern;
  if (user_chars_.selected()) pattern = user_chars_.Find(renderer_.text().font, byte);
  renderer_.PutChar(CodePageToUnicode(page, byte), std::move(pattern));
}

void Printer::OnUnknown(Source src, std::size_t offset, std::span<const std::uint8_t> b) {
  if (hex_dump_.on && HexDumpTakes(b)) return;
  Log({LogEntry::kUnknown, src, offset, b.size() == 1 ? "byte" : "command", HexBytes(b),
       "ignored, nothing printed"});
}

void Printer::OnTruncated(Source src, const CommandDef* def, std::size_t offset,
                          std::span<const std::uint8_t> b, std::size_t seen, std::size_t needed) {
  if (hex_dump_.on && HexDumpTakes(b)) return;
  std::string note = "stream ended after " + std::to_string(seen) + " bytes";
  if (needed) note += " of " + std::to_string(needed);
  Log({LogEntry::kTruncated, src, offset, def ? def->name : "command", HexBytes(b),
       note + "; discarded"});
}

}  // namespace qw77::vprinter
