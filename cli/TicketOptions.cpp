#include "cli/TicketOptions.h"

#include <cctype>
#include <charconv>
#include <cstdint>

#include "base/Utf8.h"

#include "form/BarcodeKeys.h"
#include "form/FrmMenu.h"
#include "form/ScrollBars.h"
#include "form/Selection.h"
#include "protocol/BarcodeBlock.h"

namespace qw77::cli {
namespace {

Status Refuse(std::string why) {
  return {ErrorCode::kInvalidArgument, std::move(why)};
}

std::string Quote(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// An option's value and the option control it selects.
struct Choice {
  std::string_view value;
  ControlId control;
};

constexpr Choice kPapers[] = {{"60", ControlId::kOptMech60}, {"80", ControlId::kOptMech80}};
constexpr Choice kBauds[] = {{"4800", ControlId::kOpt4800},
                             {"9600", ControlId::kOpt9600},
                             {"19200", ControlId::kOpt19200},
                             {"38400", ControlId::kOpt38400}};
constexpr Choice kParities[] = {
    {"E", ControlId::kOptEVEN}, {"O", ControlId::kOptODD}, {"N", ControlId::kOptNONE}};
constexpr Choice kSpeeds[] = {{"50", ControlId::kOpt50mm},
                              {"80", ControlId::kOpt80mm},
                              {"100", ControlId::kOpt100mm},
                              {"150", ControlId::kOpt150mm}};
constexpr Choice kFonts[] = {{"A", ControlId::kOptFontA}, {"B", ControlId::kOptFontB}};
// The logos by their index in the Option1 array.
constexpr std::string_view kLogos[] = {"space", "orval", "squares"};
// The barcode types by their Combo1 index.
constexpr std::string_view kBarcodeTypes[] = {"ean13", "code39", "itf", "code128"};

template <std::size_t N>
Result<ControlId> Lookup(const Choice (&choices)[N], std::string_view option,
                         std::string_view value) {
  std::string known;
  for (const Choice& c : choices) {
    if (Lower(c.value) == Lower(value)) return c.control;
    known += (known.empty() ? "" : ", ") + std::string(c.value);
  }
  return Refuse(std::string(option) + " takes " + known + ", not " + Quote(value) + ".");
}

// Selects an option as a click does: the selection, then its focus handler.
Status Click(FrmMenu& frm, const Result<ControlId>& control) {
  if (!control) return control.status();
  frm.State().Select(*control);
  RunGotFocus(frm, *control);
  return Status::Ok();
}

// A parameter bar and the option that moves it.
struct Bar {
  std::optional<std::string> TicketOptions::*value;
  std::string_view option;
  ControlId bar;
};

constexpr Bar kBars[] = {
    {&TicketOptions::x_scale, "--xscale", ControlId::kHscrXscale},
    {&TicketOptions::y_scale, "--yscale", ControlId::kHscrYscale},
    {&TicketOptions::line_spacing, "--line-spacing", ControlId::kHscrLinesp},
    {&TicketOptions::char_spacing, "--char-spacing", ControlId::kHscrCharsp},
    {&TicketOptions::left_margin, "--left-margin", ControlId::kHscrLeftMgn},
    {&TicketOptions::density, "--density", ControlId::kHscrDensity},
    {&TicketOptions::lines, "--lines", ControlId::kHscrLines},
};

// Moves a bar to a whole number within its range and writes its text box. The change
// handler runs even when the bar already stands there: the left margin's box starts at 0
// while its bar starts at 1, and the operator asking for 1 gets 1.
Status MoveBar(FrmMenu& frm, const Bar& bar, std::string_view text) {
  WindowState& s = frm.State();
  const int lowest = s.ScrollMinimum(bar.bar);
  const int highest = s.ScrollMaximum(bar.bar);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < lowest || value > highest) {
    return Refuse(std::string(bar.option) + " takes a whole number from " + std::to_string(lowest) +
                  " to " + std::to_string(highest) + ", not " + Quote(text) + ".");
  }
  s.SetScrollValue(bar.bar, value);
  RunScrollHandler(frm, bar.bar);
  return Status::Ok();
}

// Counts the characters of well-formed UTF-8 without control characters (what a one-line
// text box can hold); nullopt with `why` set otherwise. A control character would reach
// the printer as a command byte.
std::optional<std::size_t> TypeableCharacters(std::string_view text, std::string& why) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    const char32_t code = DecodeUtf8(text, i);
    if (code == kMalformedUtf8) {
      why = "is not valid UTF-8 text";
      return std::nullopt;
    }
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
      why = "holds a control character (code " + std::to_string(static_cast<unsigned long>(code)) +
            "), which the one-line text box cannot take";
      return std::nullopt;
    }
  }
  return count;
}

Status TypeSampleText(FrmMenu& frm, std::string_view text) {
  std::string why;
  const std::optional<std::size_t> characters = TypeableCharacters(text, why);
  if (!characters) return Refuse("--text " + why + ".");
  const int limit = frm.State().MaxLength(ControlId::kTxtSample);
  if (limit > 0 && *characters > static_cast<std::size_t>(limit)) {
    return Refuse("--text: the sample text box holds at most " + std::to_string(limit) +
                  " characters; this text has " + std::to_string(*characters) + ".");
  }
  frm.State().SetText(ControlId::kTxtSample, std::string(text));
  return Status::Ok();
}

Status ChooseLogo(FrmMenu& frm, std::string_view name) {
  for (int index = 0; index < static_cast<int>(std::size(kLogos)); ++index) {
    if (kLogos[index] == Lower(name)) {
      frm.State().SetValue(ControlId::kCheckGraphic, 1);
      frm.State().Select(ControlId::kOption1, index);
      return Status::Ok();
    }
  }
  return Refuse("--logo takes space, orval or squares, not " + Quote(name) + ".");
}

// Chooses the type as the operator does (the list, then leaving it, which sets the field's
// limit and empties it) and puts in the data the field's key rules would have let in.
Status ChooseBarcode(FrmMenu& frm, std::string_view spec) {
  const std::size_t colon = spec.find(':');
  const std::string type_name = Lower(spec.substr(0, colon));
  int type = -1;
  for (int index = 0; index < static_cast<int>(std::size(kBarcodeTypes)); ++index) {
    if (kBarcodeTypes[index] == type_name) type = index;
  }
  if (colon == std::string_view::npos || type < 0 || colon + 1 == spec.size()) {
    return Refuse("--barcode takes TYPE:DATA with TYPE ean13, code39, itf or code128, not " +
                  Quote(spec) + ".");
  }
  std::string data(spec.substr(colon + 1));
  // The field takes a letter key as its capital, whatever the case typed.
  if (type == kBarcodeCode39) {
    for (char& c : data) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  WindowState& s = frm.State();
  const std::string& type_label =
      s.Get(ControlId::kCombo1).items.at(static_cast<std::size_t>(type));
  for (char c : data) {
    if (!BarcodeFieldTakes(type, c)) {
      const std::string takes =
          type == kBarcodeCode39 ? "digits, letters, space and / . - + % $" : "digits only";
      return Refuse("--barcode: the " + type_label + " field takes " + takes + "; " +
                    Quote(spec.substr(colon + 1)) + " holds " + Quote(std::string(1, c)) + ".");
    }
  }
  const int limit = BarcodeMaxLength(type);
  if (data.size() > static_cast<std::size_t>(limit)) {
    std::string why = "--barcode: the " + type_label + " field holds at most " +
                      std::to_string(limit) + " characters; " + Quote(data) + " has " +
                      std::to_string(data.size());
    if (type == kBarcodeEan13) why += " (the printer adds the check digit itself)";
    return Refuse(why + ".");
  }
  s.SetValue(ControlId::kChkBarCode, 1);
  s.SetListIndex(ControlId::kCombo1, type);
  Combo1_LostFocus(frm);
  s.SetText(ControlId::kTxtBarCode, std::move(data));
  return Status::Ok();
}

}  // namespace

std::string PortChoice::Name() const {
  return (parallel ? "LPT" : "COM") + std::to_string(number);
}

Result<PortChoice> ParsePort(std::string_view text) {
  const std::string name = Lower(text);
  for (int n = 1; n <= 3; ++n) {
    if (name == "com" + std::to_string(n)) return PortChoice{false, n};
    if (n <= 2 && name == "lpt" + std::to_string(n)) return PortChoice{true, n};
  }
  return Refuse("--port takes COM1, COM2, COM3, LPT1 or LPT2, not " + Quote(text) + ".");
}

void SelectPort(FrmMenu& frm, const PortChoice& port) {
  static constexpr ControlId kSerial[] = {ControlId::kOptCOM0, ControlId::kOptCOM1,
                                          ControlId::kOptCOM2};
  static constexpr ControlId kParallel[] = {ControlId::kOptLPT1, ControlId::kOptLPT2};
  const ControlId option = port.parallel ? kParallel[port.number - 1] : kSerial[port.number - 1];
  frm.State().Select(option);
  RunGotFocus(frm, option);
}

Status ApplyTicketOptions(FrmMenu& frm, const TicketOptions& o) {
  WindowState& s = frm.State();
  // The paper first: it sets the left margin's range.
  if (o.paper) {
    if (Status st = Click(frm, Lookup(kPapers, "--paper", *o.paper)); !st) return st;
  }
  // The line settings come from the focus handlers only; without a choice the selected
  // option counts as chosen.
  auto selected_of = [&](const auto& choices) {
    for (const Choice& c : choices) {
      if (s.Selected(c.control)) return std::string(c.value);
    }
    return std::string(choices[0].value);
  };
  if (Status st = Click(frm, Lookup(kBauds, "--baud", o.baud.value_or(selected_of(kBauds)))); !st) {
    return st;
  }
  if (Status st =
          Click(frm, Lookup(kParities, "--parity", o.parity.value_or(selected_of(kParities))));
      !st) {
    return st;
  }
  if (o.speed) {
    if (Status st = Click(frm, Lookup(kSpeeds, "--speed", *o.speed)); !st) return st;
  }
  if (o.font) {
    if (Status st = Click(frm, Lookup(kFonts, "--font", *o.font)); !st) return st;
  }
  for (const Bar& bar : kBars) {
    if (const std::optional<std::string>& value = o.*(bar.value); value) {
      if (Status st = MoveBar(frm, bar, *value); !st) return st;
    }
  }
  if (o.text) {
    if (Status st = TypeSampleText(frm, *o.text); !st) return st;
  }
  if (o.logo) {
    if (Status st = ChooseLogo(frm, *o.logo); !st) return st;
  }
  if (o.barcode) {
    if (Status st = ChooseBarcode(frm, *o.barcode); !st) return st;
  }
  return Status::Ok();
}

}  // namespace qw77::cli
