// The printer itself: takes the byte streams of its two interfaces, carries out each
// command on the paper, answers status requests, keeps a readable log of everything it
// understood (or did not), and hands every finished ticket out as a PNG.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "vprinter/framing/Interpreter.h"
#include "vprinter/paper/Renderer.h"
#include "vprinter/paper/Symbol.h"
#include "vprinter/printer/Graphics.h"
#include "vprinter/printer/NvMemory.h"
#include "vprinter/printer/ReplySink.h"
#include "vprinter/printer/StatusModel.h"
#include "vprinter/printer/UserCharacters.h"

namespace qw77::vprinter {

enum class Source { kSerial, kParallel, kFile, kTcp };
// The interface as the log and the web view name it: "serial", "parallel", "file", "tcp".
const char* SourceName(Source s);

struct LogEntry {
  enum Kind { kCommand, kText, kUnknown, kMalformed, kTruncated, kEvent };
  Kind kind = kCommand;
  Source source = Source::kFile;
  std::size_t offset = 0;
  std::string command;  // "GS L", "TEXT", "unknown", ...
  std::string params;   // "nL=192 nH=1"
  std::string note;     // what the printer made of it; of text, the bytes it was printed from
  std::string Format() const;
};

using Millis = std::int64_t;  // a steady clock reading, supplied by the caller

struct PrinterOptions {
  Paper paper;
  std::string out_dir;           // where tickets go; empty: kept in memory only
  bool keep_tickets = true;      // with no out_dir: false draws each ticket and drops it
  std::string log_path;          // empty: no log file
  bool echo_log = false;         // also write each log line to stdout
  Millis idle_ms = 2000;         // quiet time that ends a ticket or an unfinished command
  int part_rows = kMaxPartRows;  // a taller ticket is saved in parts of this many dots
  // The ESC t number of the character table in force at the start and after ESC @.
  int code_page = kDefaultCodePage;
  std::string model_name = "qw77 virtual printer";  // as the printer-ID command tells it
  std::string firmware = "1.00";                    // GS I 65
  std::string serial_number = "QW77-00000001";      // GS I 68
  std::string state_path;  // the NV memory's file; empty: memory lasts for the run
  // Today's date ("2026-12-08"), for counting writes to NV memory a day; empty: the
  // system's date in UTC.
  std::function<std::string()> today;
};

// More writes to NV memory than this in a day are noted in the log: the memory wears out.
inline constexpr int kNvWritesPerDay = 10;

// The log entries kept in memory (the log file and the echo get every one).
inline constexpr std::size_t kLogEntriesKept = 10000;
// Longest run of text bytes on one log line; a longer run continues on the next.
inline constexpr std::size_t kTextRunBytes = 256;
// A paper feed (ESC J) of at least this many dots (20 mm) brings the last printed line past
// the tear bar, so the ticket is done: qw77's application ends each ticket with ESC J 225
// and no cut, while shorter feeds within a ticket only make room.
inline constexpr int kTearOffFeedDots = 160;

class Printer {
 public:
  Printer(std::shared_ptr<const Fonts> fonts, StatusModel& status, PrinterOptions options);
  ~Printer();

  // Bytes from one interface, received at `now`.
  void Feed(Source source, std::span<const std::uint8_t> bytes, Millis now);
  // The interface's stream ended (line hung up, file read): a command left open is
  // logged as truncated.
  void EndOfStream(Source source);
  // Ends tickets and unfinished commands that have been quiet for the idle time.
  void Tick(Millis now);
  // The next time Tick has work to do, or -1.
  Millis NextDeadline() const;
  // Ends everything: open commands, the ticket in progress.
  void Shutdown();

  // Whether input from `source` may be taken now. A ticket is printed from one interface
  // at a time, as on a printer with two interfaces: once an interface has sent something
  // for a ticket, the others' input waits until that ticket ends (cut, closing feed, idle
  // time, or the interface's stream ending with nothing printed).
  bool Accepts(Source source) const { return !owner_ || *owner_ == source; }

  // Records something that happened on an interface (a fault taking effect, a client).
  void Note(Source source, std::string what);

  // Called after each ticket, and each part of a ticket too tall for one picture, is
  // stored (with its file, or "" when it is not in a file).
  std::function<void(const std::string&)> on_ticket;

  // Called with each picture (a ticket, or a part of one too tall for one picture) before
  // it is stored.
  std::function<void(const Canvas&)> on_picture;

  // Called with the bytes of every Feed, before they are carried out, and with every log
  // entry as it is made (for a view that keeps each ticket's bytes and log).
  std::function<void(Source, std::span<const std::uint8_t>)> on_bytes;
  std::function<void(const LogEntry&)> on_log;

  // Where the replies to requests that come in on `source` go from now on (nullptr: none
  // go out). The sink must outlive its attachment.
  void AttachReplies(Source source, ReplySink* sink);

  // The latest kLogEntriesKept entries.
  const std::deque<LogEntry>& log() const { return log_; }
  const std::vector<std::string>& ticket_files() const { return ticket_files_; }
  const std::vector<Canvas>& tickets() const { return tickets_; }  // kept when no out_dir
  const TextSettings& stored_settings() const { return stored_; }
  const TextSettings& settings() const { return renderer_.text(); }
  // Tickets (or parts of them) whose picture could not be written.
  int tickets_not_saved() const { return tickets_not_saved_; }
  // Bytes the interfaces' interpreters hold for commands not yet complete.
  std::size_t BufferedBytes() const;
  int replies_sent() const { return replies_sent_; }
  // Something is printed of a ticket that has not ended yet.
  bool ticket_in_progress() const { return TicketInProgress(); }
  int self_tests() const { return self_tests_; }
  StatusModel& status() { return status_; }

  // Reads the NV memory from the state file, if there is one, and applies the user setup
  // it holds. A state file that cannot be read or is damaged is an error, and stays as it is.
  Status RestoreState();
  const NvMemory& nv_memory() const { return nv_; }
  const NvGraphics& nv_graphics() const { return graphics_.nv; }
  bool hex_dump() const { return hex_dump_.on; }

 private:
  class Port;  // one interface's interpreter
  friend class Port;

  // One command being carried out: what the handlers read, and the log entry they fill in.
  struct Command {
    Source src;
    const CommandDef& def;
    std::span<const std::uint8_t> bytes;   // the whole command
    std::span<const std::uint8_t> params;  // after its prefix
    LogEntry entry;
    // Runs after the entry is logged (a reply, a ticket's end), so the log keeps the order.
    std::function<void()> then;
    // The first parameter byte, or 0.
    std::uint8_t n() const { return params.empty() ? 0 : params[0]; }
    void Malformed(const std::string& why) {
      entry.kind = LogEntry::kMalformed;
      entry.note = why + "; ignored";
    }
  };

  void OnCommand(Source src, const CommandDef& def, std::size_t offset,
                 std::span<const std::uint8_t> b);
  // One handler per command, named by the command table's id (see kHandlers in
  // PrinterCommands.cpp); a few carry out two ids that differ only in a parameter.
  using Handler = void (Printer::*)(Command& c);
  static Handler HandlerFor(CommandId id);
  // Control and settings (PrinterCommands.cpp)
  void OnSelfTest(Command& c);
  void OnStoreSettings(Command& c);
  void OnStatusRequest(Command& c);
  void OnInitialize(Command& c);
  void OnExtended(Command& c);
  void OnSpeed(Command& c);
  void OnControlByte(Command& c);
  void OnSelectPrinter(Command& c);  // ESC =
  // Whether the printer, deselected, passes over this command (UserCharacterCommands.cpp).
  bool IgnoredWhileDeselected(const CommandDef& def) const;
  void OnNoEffect(Command& c);
  // Characters and the line (TextCommands.cpp)
  void OnLineFeed(Command& c);
  void OnCarriageReturn(Command& c);
  void OnTab(Command& c);
  void OnPrintMode(Command& c);
  void OnLineSpacing(Command& c);
  void OnDefaultLineSpacing(Command& c);
  void OnCharacterSpacing(Command& c);
  void OnFont(Command& c);
  void OnEmphasis(Command& c);
  void OnDoubleStrike(Command& c);
  void OnUnderline(Command& c);  // ESC - and FS -
  void OnReverse(Command& c);
  void OnUpsideDown(Command& c);
  void OnRotation(Command& c);
  void OnJustification(Command& c);
  void OnPosition(Command& c);  // ESC $ and ESC backslash
  void OnTabStops(Command& c);
  void OnCodePage(Command& c);
  void OnInternational(Command& c);
  void OnCharacterSize(Command& c);
  void OnLeftMargin(Command& c);
  void OnPrintWidth(Command& c);
  void OnFeed(Command& c);
  void OnFeedLines(Command& c);
  void OnItalic(Command& c);  // ESC 4 and ESC 5
  // User-defined characters (UserCharacterCommands.cpp)
  void OnUserCharacters(Command& c);
  void OnUserCharacterSet(Command& c);
  void OnCancelUserCharacter(Command& c);
  // Barcodes and two-dimensional codes (CodeCommands.cpp)
  void OnBarcode(Command& c);
  void OnBarcodeHeight(Command& c);
  void OnBarcodeWidth(Command& c);
  void OnBarcodeText(Command& c);
  void OnBarcodeFont(Command& c);
  void OnSymbol(Command& c);  // GS ( k
  bool SymbolArgumentsFit(Command& c, bool qr, int fn, std::span<const std::uint8_t> args);
  Result<EncodedSymbol> EncodeSymbol(bool qr) const;
  void StoreSymbolData(Command& c, bool qr, std::span<const std::uint8_t> data);
  void PrintSymbol(Command& c, bool qr);
  void QrSetting(Command& c, int fn, std::span<const std::uint8_t> args);
  void Pdf417Setting(Command& c, int fn, std::span<const std::uint8_t> args);
  // Images (ImageCommands.cpp)
  void OnRasterImage(Command& c);
  void OnBitImage(Command& c);
  void OnGraphics(Command& c);  // GS ( L, GS 8 L and FS ( L
  void OnNvImage(Command& c);
  // The graphics functions (GS ( L and GS 8 L), from m fn on.
  void GraphicsFunction(Command& c, std::span<const std::uint8_t> body);
  static bool ArgsPresent(Command& c, std::span<const std::uint8_t> args, std::size_t bytes);
  void PrintGraphicsBuffer(Command& c);
  void StoreGraphic(Command& c, int fn, std::span<const std::uint8_t> args);
  void DefineNvGraphic(Command& c, int fn, std::span<const std::uint8_t> args);
  void PrintNvGraphic(Command& c, std::span<const std::uint8_t> args);
  void DeleteAllNvGraphics(Command& c, std::span<const std::uint8_t> args);
  void DeleteNvGraphic(Command& c, std::span<const std::uint8_t> args);
  // Paper, drawer and status (PaperCommands.cpp)
  void OnCut(Command& c);  // GS V, ESC i and ESC m
  void OnDrawerKick(Command& c);
  void OnStatusOrId(Command& c);  // GS r and GS I
  void OnAutoStatus(Command& c);
  void OnRealTimeRequest(Command& c);
  void OnRealTimePulse(Command& c);
  // Maintenance (MaintenanceCommands.cpp) and test prints (TestPrint.cpp)
  void OnUserSetup(Command& c);      // GS ( E
  void OnCounter(Command& c);        // GS g 0 and GS g 2
  void OnTestPrint(Command& c);      // GS ( A
  void OnNvImageDefine(Command& c);  // FS q
  void UserSetupStore(Command& c, int fn, std::span<const std::uint8_t> args);
  void LeaveSetup(Command& c);
  void ApplySetup();
  void PrintNvBitImage(Command& c);  // FS p
  void NvGraphicsQuery(Command& c, int fn, std::span<const std::uint8_t> args);
  void PrintStatusPage();
  void PrintRollingPattern();
  void PrintLines(const std::vector<std::string>& lines);
  // Sends `reply` after the entry is logged, when the interface can carry it. The log shows
  // the reply's bytes unless `what` already says them.
  void Answer(Command& c, const std::string& what, std::vector<std::uint8_t> reply,
              bool log_bytes = true);
  // Counts a write to NV memory a host asked for, notes a day's writes past the limit, and
  // saves the state.
  void NvWritten(Command& c);
  void SaveState(Source src);
  // Counts what the head and cutter do, and the time the printer runs.
  void CountCommand(const CommandDef& def, std::span<const std::uint8_t> params);
  void CountTime(Millis now);
  // Hex dump mode: every byte received printed in hex beside its character.
  bool HexDumpTakes(std::span<const std::uint8_t> bytes);
  void HexDumpLine(bool partial);
  // A reply of key codes in blocks: the host's ACK, NAK or CAN to the block just sent.
  bool KeyListAnswer(Source src, std::span<const std::uint8_t>& bytes);
  void OnText(Source src, std::size_t offset, std::uint8_t byte);
  void OnUnknown(Source src, std::size_t offset, std::span<const std::uint8_t> b);
  void OnTruncated(Source src, const CommandDef* def, std::size_t offset,
                   std::span<const std::uint8_t> b, std::size_t seen, std::size_t needed);
  void OnOverlong(Source src, const CommandDef& def, std::size_t offset,
                  std::span<const std::uint8_t> head, std::size_t length);

  // The ticket in progress comes from `source`, unless it already comes from another.
  void Claim(Source source);
  void Log(LogEntry entry);
  void FlushText();
  bool TicketInProgress() const { return renderer_.HasContent() || parts_ > 0; }
  void EndTicket(Source src, const std::string& why, const std::string& suffix = "");
  // Numbers a new ticket: the next number whose picture is not in the folder yet.
  void StartTicketNumber();
  void OnPart(Canvas part);
  // Writes (or keeps) one picture of the current ticket; returns the log's note on it and
  // sets `saved` to its file when it was written.
  std::string Store(Canvas picture, const std::string& name, std::string& saved);
  void SelfTest(Source src);
  Port& PortFor(Source src);
  // Sends bytes back on the interface a command came from (serial or TCP).
  void Reply(Source src, std::vector<std::uint8_t> bytes);
  // Sends the automatic status when it is enabled and has changed since it was last sent.
  void CheckAutoStatus();

  std::shared_ptr<const Fonts> fonts_;
  StatusModel& status_;
  PrinterOptions options_;
  Renderer renderer_;
  TextSettings stored_;
  SymbolSettings symbols_;
  std::vector<std::unique_ptr<Port>> ports_;
  std::deque<LogEntry> log_;
  std::ofstream log_file_;
  std::vector<std::string> ticket_files_;
  std::vector<Canvas> tickets_;
  int ticket_number_ = 0;
  int tickets_not_saved_ = 0;
  // The ticket in progress: parts handed out so far, their rows, and blank paper fed
  // before anything was printed that filled whole parts and was not drawn.
  int parts_ = 0;
  std::int64_t part_rows_done_ = 0;
  std::int64_t blank_rows_skipped_ = 0;
  int replies_sent_ = 0;
  int self_tests_ = 0;
  GraphicsMemory graphics_;
  NvMemory nv_;
  bool setting_mode_ = false;
  Millis clock_ = -1;          // the last time the printer's clock was read
  Millis counters_saved_ = 0;  // when the counters were last written to the state file
  bool counters_dirty_ = false;
  struct HexDumpState {
    bool on = false;
    std::vector<std::uint8_t> line;
  } hex_dump_;
  // The blocks of a key code list not yet sent, the one last sent, and where they go.
  std::deque<std::vector<std::uint8_t>> key_blocks_;
  std::vector<std::uint8_t> key_block_sent_;
  Source key_blocks_to_ = Source::kSerial;
  int key_block_resends_ = 0;  // NAKs taken for the block last sent
  UserCharacters user_chars_;
  // Deselected by ESC = 0: everything but ESC = and the real-time commands is passed over.
  bool deselected_ = false;
  // Automatic status back: the items enabled (0: off), where it goes, what was last sent.
  int auto_status_items_ = 0;
  Source auto_status_to_ = Source::kSerial;
  std::array<std::uint8_t, 4> auto_status_sent_{};
  Millis last_activity_ = 0;
  Source last_source_ = Source::kFile;
  // The interface the ticket in progress comes from (see Accepts).
  std::optional<Source> owner_;

  // Consecutive text bytes make one log line.
  Source text_source_ = Source::kFile;
  std::size_t text_offset_ = 0;
  int text_page_ = kDefaultCodePage;  // the code page the run was printed in
  bool text_ignored_ = false;         // the run came while the printer was deselected
  std::string text_run_;
};

}  // namespace qw77::vprinter
