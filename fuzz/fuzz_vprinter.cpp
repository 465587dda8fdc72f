// Feeds arbitrary bytes to the virtual printer's interpreter and renderer as if they came
// over its serial line, so status requests are answered too. The first byte chooses the
// paper (bit 7) and the size of the pieces the rest arrives in (bits 0..4; 0: all at once).
// Besides the sanitizers' checks: no picture may be taller than a part or hold more than
// the memory bound, and the interpreter may hold no more than one command's worth.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>

#include "vprinter/Printer.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::shared_ptr<const Fonts> fonts = LoadFonts();
  if (size == 0) return 0;
  const std::span<const std::uint8_t> stream(data + 1, size - 1);
  const std::size_t piece = (data[0] & 0x1F) == 0 ? stream.size() + 1 : (data[0] & 0x1F);

  StatusModel status;
  PrinterOptions options;
  options.paper.printable_dots = (data[0] & 0x80) ? 576 : 448;
  options.keep_tickets = false;
  Printer printer(fonts, status, options);
  std::size_t replies = 0;
  printer.on_serial_reply = [&](std::uint8_t) { ++replies; };
  printer.on_picture = [](const Canvas& picture) {
    if (picture.height() > kMaxPartRows || picture.HeldBytes() > kTicketMemoryBytes) std::abort();
  };
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    const std::span<const std::uint8_t> bytes =
        stream.subspan(at, std::min(piece, stream.size() - at));
    printer.Feed(Source::kSerial, bytes, 0);
    if (printer.BufferedBytes() > kMaxCommandBytes + bytes.size()) std::abort();
  }
  // Every request is three bytes and gets at most one reply.
  if (replies > stream.size() / 3) std::abort();
  printer.Tick(options.idle_ms);
  printer.Shutdown();
  return 0;
}
