#include "vprinter/Printer.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace qw77::vprinter {
namespace {

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

std::string Hex(std::uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", b);
  return buf;
}

std::string HexBytes(std::span<const std::uint8_t> b, std::size_t limit = 16) {
  std::string s;
  for (std::size_t i = 0; i < b.size() && i < limit; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b[i]);
    if (!s.empty()) s += ' ';
    s += buf;
  }
  if (b.size() > limit) s += " ...";
  return s;
}

// Printable bytes as they are, the rest as \xNN, in double quotes.
std::string Quoted(std::span<const std::uint8_t> b) {
  std::string s = "\"";
  for (std::uint8_t c : b) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      s += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      s += buf;
    }
  }
  return s + "\"";
}

std::string Dec(int v) {
  return std::to_string(v);
}

const char* SpeedName(std::uint8_t n) {
  switch (n) {
    case 0x30:
      return "50 mm/s";
    case 0x20:
      return "80 mm/s";
    case 0x10:
      return "100 mm/s";
    case 0x00:
      return "150 mm/s";
    default:
      return nullptr;
  }
}

// m xL xH yL yH of an image command.
std::string RasterParams(std::span<const std::uint8_t> b) {
  return "m=" + Dec(b[0]) + " xL=" + Dec(b[1]) + " xH=" + Dec(b[2]) + " yL=" + Dec(b[3]) +
         " yH=" + Dec(b[4]);
}

int SpeedValue(std::uint8_t n) {
  return n == 0x30 ? 50 : n == 0x20 ? 80 : n == 0x10 ? 100 : 150;
}

// ticket-0007.png; a ticket too tall for one picture goes on in ticket-0007-part2.png, ...
std::string PictureName(int ticket, const std::string& suffix, int part) {
  char name[64];
  std::snprintf(name, sizeof name, "ticket-%04d%s", ticket, suffix.c_str());
  return std::string(name) + (part > 1 ? "-part" + std::to_string(part) : "") + ".png";
}

}  // namespace

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
  if (!note.empty()) s += "  : " + note;
  return s;
}

class Printer::Port : public CommandSink {
 public:
  Port(Printer& printer, Source source) : printer_(printer), source_(source), interp_(*this) {}
  void OnCommand(const CommandDef& def, std::size_t offset,
                 std::span<const std::uint8_t> b) override {
    printer_.OnCommand(source_, def, offset, b);
  }
  void OnText(std::size_t offset, std::uint8_t byte) override {
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

void Printer::Log(LogEntry entry) {
  if (entry.kind != LogEntry::kText) FlushText();
  const std::string line = entry.Format();
  if (log_file_.is_open()) log_file_ << line << '\n' << std::flush;
  if (options_.echo_log) std::cout << line << '\n' << std::flush;
  if (log_.size() == kLogEntriesKept) log_.pop_front();
  log_.push_back(std::move(entry));
}

void Printer::Note(Source source, std::string what) {
  Log({LogEntry::kEvent, source, PortFor(source).interp().BytesSeen(), std::move(what), "", ""});
}

void Printer::FlushText() {
  if (text_run_.empty()) return;
  LogEntry e{LogEntry::kText,
             text_source_,
             text_offset_,
             "TEXT",
             Quoted({reinterpret_cast<const std::uint8_t*>(text_run_.data()), text_run_.size()}),
             ""};
  text_run_.clear();
  Log(std::move(e));
}

void Printer::Feed(Source source, std::span<const std::uint8_t> bytes, Millis now) {
  Port& port = PortFor(source);
  port.last_byte = now;
  last_activity_ = now;
  last_source_ = source;
  port.interp().Feed(bytes);
}

void Printer::EndOfStream(Source source) {
  PortFor(source).interp().Finish();
  FlushText();
}

void Printer::Tick(Millis now) {
  for (auto& port : ports_) {
    if (port->interp().HasPending() && now - port->last_byte >= options_.idle_ms) {
      port->interp().Finish();
    }
  }
  if (now - last_activity_ < options_.idle_ms) return;
  FlushText();
  if (TicketInProgress()) {
    EndTicket(last_source_, "idle for " + std::to_string(options_.idle_ms) + " ms");
  }
}

Millis Printer::NextDeadline() const {
  Millis next = -1;
  auto consider = [&](Millis t) {
    if (next < 0 || t < next) next = t;
  };
  for (const auto& port : ports_) {
    if (port->interp().HasPending()) consider(port->last_byte + options_.idle_ms);
  }
  if (TicketInProgress()) consider(last_activity_ + options_.idle_ms);
  return next;
}

void Printer::Shutdown() {
  for (auto& port : ports_) port->interp().Finish();
  FlushText();
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
  if (parts_ == 0) ++ticket_number_;
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
  if (parts_ == 0) ++ticket_number_;
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
  if (stored && on_ticket) on_ticket(saved);
}

void Printer::OnText(Source src, std::size_t offset, std::uint8_t byte) {
  if (!text_run_.empty() && (text_source_ != src || text_run_.size() >= kTextRunBytes)) {
    FlushText();
  }
  if (text_run_.empty()) {
    text_source_ = src;
    text_offset_ = offset;
  }
  text_run_ += static_cast<char>(byte);
  renderer_.PutChar(CodePageToUnicode(byte));
}

void Printer::OnUnknown(Source src, std::size_t offset, std::span<const std::uint8_t> b) {
  Log({LogEntry::kUnknown, src, offset, b.size() == 1 ? "byte" : "command", HexBytes(b),
       "ignored, nothing printed"});
}

void Printer::OnTruncated(Source src, const CommandDef* def, std::size_t offset,
                          std::span<const std::uint8_t> b, std::size_t seen, std::size_t needed) {
  std::string note = "stream ended after " + std::to_string(seen) + " bytes";
  if (needed) note += " of " + std::to_string(needed);
  Log({LogEntry::kTruncated, src, offset, def ? def->name : "command", HexBytes(b),
       note + "; discarded"});
}

void Printer::OnOverlong(Source src, const CommandDef& def, std::size_t offset,
                         std::span<const std::uint8_t> head, std::size_t length) {
  LogEntry e{LogEntry::kMalformed, src, offset, def.name, "", ""};
  const std::size_t p = def.prefix_length;
  if (def.id == CommandId::kRasterImage && head.size() >= p + 5) {
    e.params = RasterParams(head.subspan(p));
    e.note = "image " + std::to_string((head[p + 1] + 256 * head[p + 2]) * 8) + "x" +
             std::to_string(head[p + 3] + 256 * head[p + 4]) + " dots, ";
  }
  e.note += std::to_string(length) + " bytes, more than the " + std::to_string(kMaxCommandBytes) +
            " a command may have; skipped, nothing printed";
  Log(std::move(e));
}

void Printer::OnCommand(Source src, const CommandDef& def, std::size_t offset,
                        std::span<const std::uint8_t> b) {
  const std::size_t p = def.prefix_length;
  const std::uint8_t n = b.size() > p ? b[p] : 0;
  LogEntry e{LogEntry::kCommand, src, offset, def.name, "", ""};
  auto malformed = [&](const std::string& why) {
    e.kind = LogEntry::kMalformed;
    e.note = why + "; ignored";
  };
  TextSettings& t = renderer_.text();

  switch (def.id) {
    case CommandId::kLineFeed:
      renderer_.LineFeed();
      e.note = "print line, feed";
      break;
    case CommandId::kCarriageReturn:
      e.note = "ignored";
      break;
    case CommandId::kInitialize:
      t = stored_;
      renderer_.barcode() = BarcodeSettings{};
      e.note = "settings back to the stored ones";
      break;
    case CommandId::kPrintMode:
      e.params = "n=" + Hex(n);
      t.font = n & 0x01;
      t.emphasized = (n & 0x08) != 0;
      t.height_mul = (n & 0x10) ? 2 : 1;
      t.width_mul = (n & 0x20) ? 2 : 1;
      t.underline = (n & 0x80) != 0;
      e.note = std::string("font ") + (t.font ? "B" : "A") + ", size " + Dec(t.width_mul) + "x" +
               Dec(t.height_mul) + (t.emphasized ? ", emphasized" : "") +
               (t.underline ? ", underlined" : "");
      break;
    case CommandId::kCharacterSize: {
      e.params = "n=" + Hex(n);
      const int w = (n >> 4) + 1, h = (n & 0x0F) + 1;
      if (w > 8 || h > 8) {
        malformed("magnification above 8");
        break;
      }
      t.width_mul = w;
      t.height_mul = h;
      e.note = "width x" + Dec(w) + ", height x" + Dec(h);
      break;
    }
    case CommandId::kLineSpacing:
      e.params = "n=" + Dec(n);
      t.line_spacing = n;
      e.note = "line spacing " + Dec(n) + " dots";
      break;
    case CommandId::kDefaultLineSpacing:
      t.line_spacing = TextSettings{}.line_spacing;
      e.note = "line spacing " + Dec(t.line_spacing) + " dots";
      break;
    case CommandId::kCharacterSpacing:
      e.params = "n=" + Dec(n);
      t.char_spacing = n;
      e.note = "character spacing " + Dec(n) + " dots";
      break;
    case CommandId::kFont:
      e.params = "n=" + Dec(n);
      if (n == 0 || n == '0') {
        t.font = 0;
        e.note = "font A (12x24)";
      } else if (n == 1 || n == '1') {
        t.font = 1;
        e.note = "font B (8x16)";
      } else {
        malformed("no such font");
      }
      break;
    case CommandId::kEmphasis:
      e.params = "n=" + Dec(n);
      t.emphasized = (n & 1) != 0;
      e.note = t.emphasized ? "emphasized on" : "emphasized off";
      break;
    case CommandId::kUnderline:
      e.params = "n=" + Dec(n);
      t.underline = (n & 3) != 0;
      e.note = t.underline ? "underline on" : "underline off";
      break;
    case CommandId::kLeftMargin: {
      const int nl = b[p], nh = b[p + 1];
      e.params = "nL=" + Dec(nl) + " nH=" + Dec(nh);
      int margin = nl + 256 * nh;
      // A margin that leaves no room for a character is cut back to leave one.
      const int widest = renderer_.paper().printable_dots - fonts_->a.width();
      e.note = "left margin " + Dec(margin) + " dots";
      if (margin > widest) {
        margin = widest;
        e.note += ", limited to " + Dec(widest);
      }
      t.left_margin = margin;
      break;
    }
    case CommandId::kExtended: {
      const int pl = b[p], ph = b[p + 1];
      const auto body = b.subspan(p + 2);
      e.params = "pL=" + Dec(pl) + " pH=" + Dec(ph);
      if (body.empty()) {
        malformed("no function byte");
        break;
      }
      e.params += " fn=" + Dec(body[0]);
      if (body[0] == 0x01 && body.size() == 2) {
        const int d = static_cast<std::int8_t>(body[1]);
        e.params += " d=" + Dec(body[1]);
        if (d < -10 || d > 10) {
          malformed("density " + Dec(d) + " outside -10..10");
          break;
        }
        t.density = d;
        e.note = "print density " + Dec(d);
      } else {
        e.params += " " + HexBytes(body.subspan(1));
        malformed("function not supported by this printer");
      }
      break;
    }
    case CommandId::kSpeed: {
      e.params = "n=" + Hex(n);
      const char* name = SpeedName(n);
      if (!name) {
        malformed("no such speed");
        break;
      }
      t.speed_mm_s = SpeedValue(n);
      e.note = std::string("print speed ") + name;
      break;
    }
    case CommandId::kFeed:
      e.params = "n=" + Dec(n);
      renderer_.Feed(n);
      e.note = "print and feed " + Dec(n) + " dots; the ticket ends";
      Log(std::move(e));
      EndTicket(src, "closing feed");
      return;
    case CommandId::kRasterImage: {
      const int m = b[p], x = b[p + 1] + 256 * b[p + 2], y = b[p + 3] + 256 * b[p + 4];
      e.params = RasterParams(b.subspan(p));
      const int mode = m >= '0' ? m - '0' : m;
      if (mode < 0 || mode > 3) {
        malformed("no such mode; " + Dec(x * y) + " data bytes skipped");
        break;
      }
      if (x == 0 || y == 0) {
        e.note = "empty image, nothing printed";
        break;
      }
      const int cut = renderer_.PrintRaster(x, y, mode, b.subspan(p + 5));
      e.note = "image " + Dec(x * 8) + "x" + Dec(y) + " dots, " + Dec(x * y) + " data bytes";
      if (cut > 0) e.note += ", " + Dec(cut) + " dots beyond the paper cut off";
      break;
    }
    case CommandId::kBarcode: {
      const std::uint8_t m = b[p];
      std::span<const std::uint8_t> data;
      if (m >= 65) {
        data = b.subspan(p + 2);
        e.params = "m=" + Hex(m) + " n=" + Dec(b[p + 1]) + " " + Quoted(data);
      } else {
        data = b.subspan(p + 1);
        if (!data.empty() && data.back() == 0) data = data.first(data.size() - 1);
        e.params = "m=" + Dec(m) + " " + Quoted(data);
      }
      Result<BarcodeSymbol> symbol = EncodeBarcode(m, data);
      if (!symbol) {
        const std::string name = BarcodeName(m);
        malformed((name.empty() ? "" : name + ": ") + symbol.status().message());
        break;
      }
      Result<int> module = renderer_.PrintBarcode(*symbol);
      if (!module) {
        malformed(symbol->name + " " + module.status().message());
        break;
      }
      e.note = symbol->name + " \"" + symbol->text + "\", module " + Dec(*module) + " dots";
      break;
    }
    case CommandId::kBarcodeHeight:
      e.params = "n=" + Dec(n);
      if (n == 0) {
        malformed("height 0");
        break;
      }
      renderer_.barcode().height = n;
      e.note = "barcode height " + Dec(n) + " dots";
      break;
    case CommandId::kBarcodeWidth:
      e.params = "n=" + Dec(n);
      if (n < 2 || n > 6) {
        malformed("module width outside 2..6");
        break;
      }
      renderer_.barcode().module = n;
      e.note = "barcode module " + Dec(n) + " dots";
      break;
    case CommandId::kBarcodeText:
      e.params = "n=" + Dec(n);
      renderer_.barcode().text_position = n & 3;
      e.note = "barcode text position " + Dec(n & 3);
      break;
    case CommandId::kStatusRequest: {
      e.params = "n=" + Dec(n);
      if (n < 1 || n > 4) {
        malformed("no such status request");
        break;
      }
      const auto& reply_to = src == Source::kTcp ? on_tcp_reply : on_serial_reply;
      if (src != Source::kSerial && src != Source::kTcp) {
        e.note = "no reply channel on this interface";
        break;
      }
      const std::optional<std::uint8_t> reply = status_.AnswerRequest(n);
      if (reply) {
        ++replies_sent_;
        e.note = "status " + Dec(n) + " answered " + Hex(*reply);
        Log(std::move(e));
        if (reply_to) reply_to(*reply);
        return;
      }
      e.note = "status " + Dec(n) + " NOT answered (silent)";
      break;
    }
    case CommandId::kStoreSettings:
      stored_ = t;
      e.note = "text settings stored: " + stored_.Describe();
      break;
    case CommandId::kSelfTest:
      e.note = "self test";
      Log(std::move(e));
      SelfTest(src);
      return;
  }
  Log(std::move(e));
}

void Printer::SelfTest(Source src) {
  ++self_tests_;
  if (TicketInProgress()) EndTicket(src, "self test starts");
  // The test page is printed with the stored settings' layout in a plain font, then the
  // settings in force come back.
  const TextSettings in_force = renderer_.text();
  TextSettings& t = renderer_.text();
  t = TextSettings{};
  auto line = [&](const std::string& s) {
    for (char c : s) renderer_.PutChar(CodePageToUnicode(static_cast<std::uint8_t>(c)));
    renderer_.LineFeed();
  };
  t.width_mul = 2;
  t.height_mul = 2;
  line("SELF TEST");
  t.width_mul = t.height_mul = 1;
  line("qw77 virtual thermal printer");
  line("Paper " + std::string(options_.paper.printable_dots == 576 ? "80" : "60") + " mm, " +
       Dec(options_.paper.printable_dots) + " dots, 8 dots/mm");
  line("Status: " + status_.conditions().Describe());
  renderer_.Feed(12);
  line("Stored text settings:");
  line(std::string(" Font ") + (stored_.font ? "B (8x16)" : "A (12x24)"));
  line(" Size " + Dec(stored_.width_mul) + "x" + Dec(stored_.height_mul));
  line(" Line spacing " + Dec(stored_.line_spacing) + " dots");
  line(" Char spacing " + Dec(stored_.char_spacing) + " dots");
  line(" Left margin " + Dec(stored_.left_margin) + " dots");
  line(" Density " + Dec(stored_.density));
  line(" Speed " + Dec(stored_.speed_mm_s) + " mm/s");
  renderer_.Feed(12);
  for (int font = 0; font < 2; ++font) {
    t.font = font;
    for (int c = 0x20; c < 0x7F; ++c) renderer_.PutChar(static_cast<char32_t>(c));
    renderer_.LineFeed();
  }
  renderer_.Feed(120);
  renderer_.text() = in_force;
  EndTicket(src, "self test page", "-selftest");
}

}  // namespace qw77::vprinter
