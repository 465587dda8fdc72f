// The printer tools: read what printer it is, look after the logos in its NV graphics
// memory, read and reset its maintenance counters, read and change its user setup, start
// its test prints. Each job works over one serial link (a serial line, a network printer,
// a two-way USB interface), returns a report, and never touches a window: both front ends
// show the reports their own way.
//
// Common rules: a port that cannot answer is refused with kNeedsAnsweringPort before
// anything is written; every reply is waited for within a limit; after a failed step
// nothing more is written; the link is closed again when the job ends.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Status.h"
#include "jobs/JobState.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "protocol/MaintenanceCommands.h"
#include "protocol/StatusDecode.h"

namespace qw77 {

// Where the tools talk to the printer. `link` is null for a port that has no way back
// (a parallel port); `name` ("COM1") is for the messages.
struct ToolPort {
  SerialLink* link = nullptr;
  SerialConfig config;
  Clock* clock = nullptr;
  std::string name;
};

inline constexpr std::string_view kNeedsAnsweringPort = "needs a port that can answer";

// How far a transfer is: bytes the link took of the total. Called from the job's thread
// between writes; it may repaint a window or a terminal line.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

// What every tool job reports. `end` uses the outcomes of the printer jobs: kDone,
// kNoAnswer (no reply, a short or a malformed one: the messages say which),
// kPortUnusable (missing, busy, or a port that cannot answer), kFailedMidway (a write cut
// short, or a change the printer did not confirm). `messages` is what the operator is told,
// in order.
struct ToolReport {
  JobEnd end = JobEnd::kDone;
  std::size_t bytes_sent = 0;
  std::vector<std::string> messages;
  bool ok() const { return end == JobEnd::kDone; }
};

// --- Information --------------------------------------------------------------------------

struct PrinterInfo {
  std::optional<std::uint8_t> model_id, type_id, version_id;  // GS I 1..3
  std::string firmware, maker, model, serial_number, fonts;   // GS I 65..69 ("" if unanswered)
  std::optional<StatusFlags> status;                          // DLE EOT 2..4
};
struct InfoReport : ToolReport {
  PrinterInfo info;
};
InfoReport ReadPrinterInfo(const ToolPort& port);
// The type ID's bits in words ("autocutter", ...).
std::vector<std::string> TypeIdWords(std::uint8_t type_id);

// --- Logos (NV graphics) ------------------------------------------------------------------

struct LogoList {
  std::size_t capacity = 0;   // bytes of NV graphics memory
  std::size_t remaining = 0;  // bytes still free
  std::vector<LogoKey> keys;  // as the printer lists them; printers report no sizes
};
struct LogoListReport : ToolReport {
  LogoList list;
};
LogoListReport ListLogos(const ToolPort& port);

// Reads a BMP or PNG picture of any size and colour depth (transparency over white),
// scales it to `fit_width` dots when that is > 0, and dithers it to one bit. The result is
// what StoreLogo sends and what a preview shows.
Result<DotImage> LoadLogo(const std::string& path, int fit_width = 0);
// Writes the picture as a black-and-white PNG file (replaced whole).
Status WriteDotImagePng(const DotImage& image, const std::string& path);

struct LogoStoreReport : ToolReport {
  std::size_t data_bytes = 0;            // the picture's raster bytes
  std::optional<std::size_t> remaining;  // free bytes after storing, when the printer said
};
// Stores `image` under `key` (replacing a logo with the same key), then confirms that the
// printer lists the key.
LogoStoreReport StoreLogo(const ToolPort& port, LogoKey key, const DotImage& image,
                          const Progress& progress = {});
// Prints the stored logo (after checking that the printer lists it) and feeds it out.
ToolReport PrintLogo(const ToolPort& port, LogoKey key, const Progress& progress = {});
ToolReport DeleteLogo(const ToolPort& port, LogoKey key);
ToolReport DeleteAllLogos(const ToolPort& port);

// --- Maintenance counters -----------------------------------------------------------------

struct CounterValue {
  int number = 0;                           // the resettable counter's number (20, 21, 50, 70)
  std::string name;                         // "lines fed", ...
  std::optional<std::int64_t> since_reset;  // GS g 2 number
  std::optional<std::int64_t> in_all;       // GS g 2 number + 128
};
struct CountersReport : ToolReport {
  std::vector<CounterValue> counters;
};
CountersReport ReadCounters(const ToolPort& port);
// Resets every resettable counter, then reads them all back.
CountersReport ResetCounters(const ToolPort& port);

// --- User setup ---------------------------------------------------------------------------

struct PrinterSetup {
  std::optional<int> paper_mm;          // 58, 60 or 80
  std::optional<int> density;           // -6..8
  std::optional<int> speed;             // 1..9
  std::array<std::string, 8> switches;  // memory switches 1..8, bit 8 first ("" unread)
};
struct SetupChange {
  std::optional<int> paper_mm;  // 58 or 80
  std::optional<int> density;   // -6..8
  std::optional<int> speed;     // 1..9
  // Memory switch number (1..8) and its 8 bits, bit 8 first: '0', '1' or '2' (unchanged).
  std::vector<std::pair<int, std::string>> switches;
  bool empty() const { return !paper_mm && !density && !speed && switches.empty(); }
};
// kInvalidArgument, saying which value and what it may be, for a change no printer takes.
Status CheckSetupChange(const SetupChange& change);
struct SetupReport : ToolReport {
  PrinterSetup setup;
};
// Reads the customised values and memory switches in the user setting mode, then leaves it
// (the printer restarts).
SetupReport ReadSetup(const ToolPort& port);
// Enters the setting mode, writes the change, leaves it (the printer restarts with it) and
// reads the setup back: kFailedMidway when what is read back differs from what was set.
SetupReport ChangeSetup(const ToolPort& port, const SetupChange& change);

// --- Test prints --------------------------------------------------------------------------

enum class TestPrintKind : std::uint8_t { kHexDump, kStatusPage, kRollingPattern, kCodePage };
// The printer's own test prints, or a table of the 128 upper characters of code page
// `code_page` (0..255). Hex dump mode lasts until the printer restarts.
ToolReport RunTestPrint(const ToolPort& port, TestPrintKind kind, int code_page = 0);

}  // namespace qw77
