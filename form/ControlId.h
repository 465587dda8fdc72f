// The names of the main window's controls, each spelt once: the list below is the inventory
// of names that the record, the handlers and the jobs address controls by (and that
// docs/CONTROLS.md follows). Code names a control by its id (ControlId::kCmdPrint); a
// misspelt id does not compile. The front end's widget table and the tests may name one by
// its text ("CmdPrint"), which is looked up while compiling, so a misspelt text does not
// compile either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace qw77 {

// Every control of the main window, in the order of its inventory. A control array (the
// logo options Option1(0..2), the status frame FrmError(0)) has one name for all elements.
#define QW77_FRMMENU_CONTROLS(X)                                                                   \
  X(FrmConfig)                                                                                     \
  X(FrmMechanism)                                                                                  \
  X(OptMech60)                                                                                     \
  X(OptMech80)                                                                                     \
  X(FrmPort) X(OptCOM0) X(OptCOM1) X(OptCOM2) X(OptLPT1) X(OptLPT2) X(FrmComm) X(FrmBaud)          \
      X(Opt4800) X(Opt9600) X(Opt19200) X(Opt38400) X(FrmPar) X(OptEVEN) X(OptODD) X(OptNONE)      \
          X(FrmBits) X(OptEight) X(FrmStop) X(OptOne) X(FrmSpeed) X(Opt50mm) X(Opt80mm)            \
              X(Opt100mm) X(Opt150mm) X(CmdRestore) X(FrmSample) X(LblSample) X(TxtSample)         \
                  X(FrmFormat) X(LblXScale) X(TxtXScale) X(HscrXscale) X(LblYscale) X(TxtYScale)   \
                      X(HscrYscale) X(LblLinesp) X(TxtLinesp) X(HscrLinesp) X(LblCharsp)           \
                          X(TxtCharsp) X(HscrCharsp) X(LblLeftMargin) X(TxtLeftMgn) X(HscrLeftMgn) \
                              X(LblDensity) X(TxtDensity) X(HscrDensity) X(LblLines) X(TxtLines)   \
                                  X(HscrLines) X(FrmFont) X(OptFontA) X(OptFontB) X(FrmGrafico)    \
                                      X(CheckGraphic) X(Option1) X(FrmCodBarras) X(ChkBarCode)     \
                                          X(LblCodeBar) X(Combo1) X(LblBarCode) X(TxtBarCode)      \
                                              X(CmdPrint) X(CmdSettings) X(CmdAutotest)            \
                                                  X(FrmStatus) X(FrmError) X(ChkHead) X(ChkVp)     \
                                                      X(ChkCutter) X(ChkBM) X(ChkTemp) X(ChkHard)  \
                                                          X(ChkPNEnd) X(CmdCheck) X(ImgLogo)       \
                                                              X(CommandAbout) X(CmdExit)           \
                                                                  X(MSComm1) X(MSComm2) X(MSComm3)

enum class ControlId : std::uint8_t {
#define QW77_CONTROL_ENUMERATOR(name) k##name,
  QW77_FRMMENU_CONTROLS(QW77_CONTROL_ENUMERATOR)
#undef QW77_CONTROL_ENUMERATOR
};

inline constexpr std::string_view kControlNames[] = {
#define QW77_CONTROL_NAME(name) #name,
    QW77_FRMMENU_CONTROLS(QW77_CONTROL_NAME)
#undef QW77_CONTROL_NAME
};

// The control's name as the window spells it ("CmdPrint").
constexpr std::string_view ControlName(ControlId id) {
  return kControlNames[static_cast<std::size_t>(id)];
}

// The id of a name (no index), or nothing for a name the window does not have.
constexpr std::optional<ControlId> FindControlId(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kControlNames); ++i) {
    if (kControlNames[i] == name) return static_cast<ControlId>(i);
  }
  return std::nullopt;
}

// How the record's accessors take a control: an id; or a name given as a literal, looked up
// while compiling (a name the window does not have stops the build there); or a name known
// only at run time, such as a key from a test's table, which throws std::out_of_range when
// the window has no such control.
class Ctl {
 public:
  constexpr Ctl(ControlId id) : id_(id) {}  // NOLINT(google-explicit-constructor)
  template <std::size_t N>
  consteval Ctl(const char (&name)[N])  // NOLINT(google-explicit-constructor)
      : id_(Checked(FindControlId(name))) {}
  template <typename Text>
  requires(!std::is_array_v<Text> && std::is_convertible_v<const Text&, std::string_view>)
      Ctl(const Text& name)  // NOLINT(google-explicit-constructor)
      : id_(Found(name)) {}

  constexpr ControlId id() const { return id_; }
  constexpr std::string_view name() const { return ControlName(id_); }
  friend constexpr bool operator==(Ctl, Ctl) = default;

 private:
  static constexpr ControlId Checked(std::optional<ControlId> id) {
    if (!id) throw std::invalid_argument("the window has no control of this name");
    return *id;
  }
  static ControlId Found(std::string_view name) {
    const std::optional<ControlId> id = FindControlId(name);
    if (!id) throw std::out_of_range("no control " + std::string(name));
    return *id;
  }
  ControlId id_;
};

}  // namespace qw77
