// What each command does to the paper and the settings, as the log tells it, and the self
// test page. The families of commands each have their own file: TextCommands.cpp,
// CodeCommands.cpp, ImageCommands.cpp and PaperCommands.cpp.
#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

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

int SpeedValue(std::uint8_t n) {
  return n == 0x30 ? 50 : n == 0x20 ? 80 : n == 0x10 ? 100 : 150;
}

}  // namespace

// Each command's handler, by the id its row in the command table carries.
Printer::Handler Printer::HandlerFor(CommandId id) {
  using enum CommandId;
  struct Row {
    CommandId id;
    Handler handler;
  };
  static constexpr Row kHandlers[] = {
      {kSelfTest, &Printer::OnSelfTest},
      {kStoreSettings, &Printer::OnStoreSettings},
      {kStatusRequest, &Printer::OnStatusRequest},
      {kInitialize, &Printer::OnInitialize},
      {kExtended, &Printer::OnExtended},
      {kSpeed, &Printer::OnSpeed},
      {kLineFeed, &Printer::OnLineFeed},
      {kCarriageReturn, &Printer::OnCarriageReturn},
      {kTab, &Printer::OnTab},
      {kPrintMode, &Printer::OnPrintMode},
      {kLineSpacing, &Printer::OnLineSpacing},
      {kDefaultLineSpacing, &Printer::OnDefaultLineSpacing},
      {kCharacterSpacing, &Printer::OnCharacterSpacing},
      {kFont, &Printer::OnFont},
      {kEmphasis, &Printer::OnEmphasis},
      {kDoubleStrike, &Printer::OnDoubleStrike},
      {kUnderline, &Printer::OnUnderline},
      {kKanjiUnderline, &Printer::OnUnderline},
      {kReverse, &Printer::OnReverse},
      {kUpsideDown, &Printer::OnUpsideDown},
      {kRotation, &Printer::OnRotation},
      {kJustification, &Printer::OnJustification},
      {kAbsolutePosition, &Printer::OnPosition},
      {kRelativePosition, &Printer::OnPosition},
      {kTabStops, &Printer::OnTabStops},
      {kCodePage, &Printer::OnCodePage},
      {kInternational, &Printer::OnInternational},
      {kCharacterSize, &Printer::OnCharacterSize},
      {kLeftMargin, &Printer::OnLeftMargin},
      {kPrintWidth, &Printer::OnPrintWidth},
      {kFeed, &Printer::OnFeed},
      {kFeedLines, &Printer::OnFeedLines},
      {kBarcode, &Printer::OnBarcode},
      {kBarcodeHeight, &Printer::OnBarcodeHeight},
      {kBarcodeWidth, &Printer::OnBarcodeWidth},
      {kBarcodeText, &Printer::OnBarcodeText},
      {kBarcodeFont, &Printer::OnBarcodeFont},
      {kSymbol, &Printer::OnSymbol},
      {kRasterImage, &Printer::OnRasterImage},
      {kBitImage, &Printer::OnBitImage},
      {kGraphics, &Printer::OnGraphics},
      {kGraphicsLong, &Printer::OnGraphics},
      {kNvImage, &Printer::OnNvImage},
      {kCut, &Printer::OnCut},
      {kCutOld, &Printer::OnCut},
      {kDrawerKick, &Printer::OnDrawerKick},
      {kTransmitStatus, &Printer::OnStatusOrId},
      {kPrinterId, &Printer::OnStatusOrId},
      {kAutoStatus, &Printer::OnAutoStatus},
      {kRealTimeRequest, &Printer::OnRealTimeRequest},
      {kRealTimePulse, &Printer::OnRealTimePulse},
      {kUserSetup, &Printer::OnUserSetup},
      {kCounterReset, &Printer::OnCounter},
      {kCounterRead, &Printer::OnCounter},
      {kTestPrint, &Printer::OnTestPrint},
      {kNvImageDefine, &Printer::OnNvImageDefine},
      {kControlByte, &Printer::OnControlByte},
      {kSelectPrinter, &Printer::OnSelectPrinter},
      {kItalic, &Printer::OnItalic},
      {kItalicOff, &Printer::OnItalic},
      {kUserCharacters, &Printer::OnUserCharacters},
      {kUserCharacterSet, &Printer::OnUserCharacterSet},
      {kCancelUserCharacter, &Printer::OnCancelUserCharacter},
      {kNoEffect, &Printer::OnNoEffect},
      {kNoEffectLong, &Printer::OnNoEffect},
  };
  static const std::array<Handler, kCommandIds> kById = [] {
    std::array<Handler, kCommandIds> by_id{};
    for (const Row& row : kHandlers) by_id[static_cast<std::size_t>(row.id)] = row.handler;
    return by_id;
  }();
  return kById[static_cast<std::size_t>(id)];
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
  if (hex_dump_.on && HexDumpTakes(b)) return;
  Command c{src,
            def,
            b,
            b.subspan(def.prefix_length),
            {LogEntry::kCommand, src, offset, def.name, "", ""},
            {}};
  if (deselected_ && IgnoredWhileDeselected(def)) {
    c.entry.note = "printer deselected (ESC = 0): passed over";
  } else if (const Handler handler = HandlerFor(def.id)) {
    CountCommand(def, c.params);
    (this->*handler)(c);
  } else {
    c.Malformed("no handler for this command");
  }
  Log(std::move(c.entry));
  if (c.then) c.then();
}

void Printer::OnNoEffect(Command& c) {
  if (c.def.shape == Shape::kFixed) {
    c.entry.params = HexBytes(c.params);
  } else if (c.params.size() >= 3) {
    c.entry.params =
        "pL=" + Dec(c.params[0]) + " pH=" + Dec(c.params[1]) + " fn=" + Dec(c.params[2]);
  }
  c.entry.note = "no effect on this printer";
}

void Printer::OnControlByte(Command& c) {
  c.entry.note = "control byte, passed over";
}

void Printer::OnSelectPrinter(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  deselected_ = (n & 1) == 0;
  c.entry.note =
      deselected_ ? "printer deselected: input passed over until ESC = 1" : "printer selected";
}

void Printer::OnInitialize(Command& c) {
  TextSettings& t = renderer_.text();
  t = stored_;
  renderer_.ResetModes(options_.code_page);
  renderer_.barcode() = BarcodeSettings{};
  symbols_ = SymbolSettings{};
  // The print buffer is emptied; graphics defined in NV memory stay. User-defined
  // characters go, and the font's own are selected.
  graphics_.buffer = Bitmap{};
  user_chars_.Clear();
  c.entry.note = "settings back to the stored ones";
}

void Printer::OnExtended(Command& c) {
  TextSettings& t = renderer_.text();
  const int pl = c.params[0], ph = c.params[1];
  const auto body = c.params.subspan(2);
  c.entry.params = "pL=" + Dec(pl) + " pH=" + Dec(ph);
  if (body.empty()) {
    c.Malformed("no function byte");
    return;
  }
  c.entry.params += " fn=" + Dec(body[0]);
  if (body[0] == 0x01 && body.size() == 2) {
    const int d = static_cast<std::int8_t>(body[1]);
    c.entry.params += " d=" + Dec(body[1]);
    if (d < -10 || d > 10) {
      c.Malformed("density " + Dec(d) + " outside -10..10");
      return;
    }
    t.density = d;
    c.entry.note = "print density " + Dec(d);
  } else {
    c.entry.params += " " + HexBytes(body.subspan(1));
    c.Malformed("function not supported by this printer");
  }
}

void Printer::OnSpeed(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Hex(n);
  const char* name = SpeedName(n);
  if (!name) {
    c.Malformed("no such speed");
    return;
  }
  t.speed_mm_s = SpeedValue(n);
  c.entry.note = std::string("print speed ") + name;
}

void Printer::OnStatusRequest(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  if (n < 1 || n > 4) {
    c.Malformed("no such status request");
    return;
  }
  if (c.src != Source::kSerial && c.src != Source::kTcp) {
    c.entry.note = "no reply channel on this interface";
    return;
  }
  const std::optional<std::uint8_t> reply = status_.AnswerRequest(n);
  if (!reply) {
    c.entry.note = "status " + Dec(n) + " NOT answered (silent)";
    return;
  }
  ++replies_sent_;
  c.entry.note = "status " + Dec(n) + " answered " + Hex(*reply);
  c.then = [this, src = c.src, byte = *reply] { Reply(src, {byte}); };
}

void Printer::OnStoreSettings(Command& c) {
  TextSettings& t = renderer_.text();
  stored_ = t;
  c.entry.note = "text settings stored: " + stored_.Describe();
}

void Printer::OnSelfTest(Command& c) {
  c.entry.note = "self test";
  c.then = [this, src = c.src] { SelfTest(src); };
}

void Printer::SelfTest(Source src) {
  ++self_tests_;
  if (TicketInProgress()) EndTicket(src, "self test starts");
  // The test page is printed with the stored settings' layout in a plain font, then the
  // settings in force come back.
  const TextSettings in_force = renderer_.text();
  const CharacterModes modes_in_force = renderer_.modes();
  TextSettings& t = renderer_.text();
  t = TextSettings{};
  renderer_.ResetModes(kDefaultCodePage);
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
  renderer_.modes() = modes_in_force;
  EndTicket(src, "self test page", "-selftest");
}

}  // namespace qw77::vprinter
