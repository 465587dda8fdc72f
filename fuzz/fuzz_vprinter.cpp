// Feeds arbitrary bytes to the virtual printer's interpreter and renderer as if they came
// over its serial line, so status requests are answered too. The first byte chooses the
// paper (bit 7), the mode (bit 6) and the size of the pieces the rest arrives in (bits 0..4;
// 0: all at once).
// In the raw mode the rest is the stream. In the command mode the rest is a recipe for a
// stream of whole commands of the command table only, each with arbitrary parameters; such
// a stream must print no text and log no unknown or cut-short command, whatever the
// parameters: a command's parameters are never taken for text.
// Besides the sanitizers' checks: no picture may be taller than a part or hold more than
// the memory bound, and the interpreter may hold no more than one command's worth.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "vprinter/printer/Printer.h"

namespace {

using namespace qw77::vprinter;

std::shared_ptr<const Fonts> LoadFonts() {
  qw77::Result<std::shared_ptr<const Fonts>> fonts = Fonts::LoadDefault();
  if (!fonts) {
    std::fprintf(stderr, "%s (install console-setup-linux)\n", fonts.status().message().c_str());
    std::abort();
  }
  return *fonts;
}

// Builds a stream of whole commands from `recipe`: per command, one byte picks the table row
// and one the number of parameter bytes that follow in the recipe. Where the command's
// length is counted in its parameters, the data is padded with zeros up to that length.
std::vector<std::uint8_t> CommandStream(std::span<const std::uint8_t> recipe) {
  const std::span<const CommandDef> table = CommandTable();
  std::vector<std::uint8_t> stream;
  std::size_t at = 0;
  while (at + 2 <= recipe.size() && stream.size() < (std::size_t{1} << 18)) {
    const CommandDef& def = table[recipe[at] % table.size()];
    const std::size_t take = std::min<std::size_t>(recipe[at + 1] % 64, recipe.size() - at - 2);
    at += 2;
    std::vector<std::uint8_t> bytes(def.prefix.begin(), def.prefix.begin() + def.prefix_length);
    bytes.insert(bytes.end(), recipe.begin() + static_cast<std::ptrdiff_t>(at),
                 recipe.begin() + static_cast<std::ptrdiff_t>(at + take));
    at += take;
    for (;;) {
      const Match m = MatchCommand(bytes, false);
      if (m.kind == Match::kCommand && m.def == &def) {
        stream.insert(stream.end(), bytes.begin(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(m.length));
        break;
      }
      // Zeros up to the length the command announced (images, counted data), or one more
      // byte where the length is not known yet; kept small so the fuzzer stays fast.
      if (m.kind != Match::kNeedMore || m.def != &def || bytes.size() > 4096) break;
      bytes.resize(m.needed > bytes.size() ? std::min<std::size_t>(m.needed, 4097)
                                           : bytes.size() + 1);
    }
  }
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::shared_ptr<const Fonts> fonts = LoadFonts();
  if (size == 0) return 0;
  const bool commands_only = (data[0] & 0x40) != 0;
  const std::vector<std::uint8_t> built =
      commands_only ? CommandStream({data + 1, size - 1}) : std::vector<std::uint8_t>{};
  const std::span<const std::uint8_t> stream =
      commands_only ? std::span<const std::uint8_t>(built)
                    : std::span<const std::uint8_t>(data + 1, size - 1);
  const std::size_t piece = (data[0] & 0x1F) == 0 ? stream.size() + 1 : (data[0] & 0x1F);

  StatusModel status;
  PrinterOptions options;
  options.paper.printable_dots = (data[0] & 0x80) ? 576 : 448;
  options.keep_tickets = false;
  Printer printer(fonts, status, options);
  CollectedReplies replies;
  printer.AttachReplies(Source::kSerial, &replies);
  printer.on_picture = [](const Canvas& picture) {
    if (picture.height() > kMaxPartRows || picture.HeldBytes() > kTicketMemoryBytes) std::abort();
  };
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    const std::span<const std::uint8_t> bytes =
        stream.subspan(at, std::min(piece, stream.size() - at));
    printer.Feed(Source::kSerial, bytes, 0);
    if (printer.BufferedBytes() > kMaxCommandBytes + bytes.size()) std::abort();
  }
  // Replies stay in proportion to what was sent: the longest is a block of the NV key code
  // list (84 bytes), which a one-byte ACK or NAK can ask for again.
  if (replies.bytes.size() > stream.size() * 84) std::abort();
  printer.Tick(options.idle_ms);
  printer.Shutdown();
  if (commands_only) {
    for (const LogEntry& entry : printer.log()) {
      if (entry.kind == LogEntry::kText || entry.kind == LogEntry::kUnknown ||
          entry.kind == LogEntry::kTruncated) {
        std::fprintf(stderr, "a command's bytes were not taken as one: %s\n",
                     entry.Format().c_str());
        std::abort();
      }
    }
  }
  return 0;
}
