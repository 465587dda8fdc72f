// The inventory of the main window: every control with its caption, tool-tip, initial
// state and range, grouped by the frame that holds it.
#include "form/FrmMenu.h"

namespace qw77 {
namespace {

// Where a control stands: in a frame (an element of a frame array, too), or on the window.
struct Parent {
  Parent() = default;
  Parent(ControlId id, int index = -1)  // NOLINT(google-explicit-constructor)
      : key(ControlKey(ControlName(id), index)) {}
  std::string key;  // empty for the window
};

class Inventory {
 public:
  explicit Inventory(WindowState& state) : state_(state) {}

  void Frame(ControlId name, const char* caption, Parent parent = {}, int index = -1) {
    Control c = Make(name, ControlKind::kFrame, parent, caption);
    c.index = index;
    state_.Add(std::move(c));
  }
  void Button(ControlId name, const char* caption, const char* tip, const Parent& parent,
              bool enabled = true) {
    Control c = Make(name, ControlKind::kCommandButton, parent, caption, tip);
    c.enabled = enabled;
    state_.Add(std::move(c));
  }
  void Option(ControlId name, const char* caption, const char* tip, ControlId group,
              bool selected = false, int index = -1) {
    Control c = Make(name, ControlKind::kOptionButton, group, caption, tip);
    c.group = ControlName(group);
    c.selected = selected;
    c.index = index;
    state_.Add(std::move(c));
  }
  void Check(ControlId name, const char* caption, const Parent& parent) {
    state_.Add(Make(name, ControlKind::kCheckBox, parent, caption));
  }
  void Label(ControlId name, const char* caption, const Parent& parent) {
    state_.Add(Make(name, ControlKind::kLabel, parent, caption));
  }
  void Text(ControlId name, const char* text, int max_length, const Parent& parent) {
    Control c = Make(name, ControlKind::kTextBox, parent, "");
    c.text = text;
    c.max_length = max_length;
    state_.Add(std::move(c));
  }
  void Scroll(ControlId name, int minimum, int maximum, int value, const Parent& parent) {
    Control c = Make(name, ControlKind::kScrollBar, parent, "");
    c.minimum = minimum;
    c.maximum = maximum;
    c.value = value;
    state_.Add(std::move(c));
  }
  void Add(Control c) { state_.Add(std::move(c)); }

  static Control Make(ControlId name, ControlKind kind, const Parent& parent, const char* caption,
                      const char* tip = "") {
    Control c;
    c.id = name;
    c.kind = kind;
    c.parent = parent.key;
    c.caption = caption;
    c.tool_tip = tip;
    return c;
  }

 private:
  WindowState& state_;
};

}  // namespace

void AddFrmMenuControls(WindowState& state) {
  using enum ControlId;
  Inventory inv(state);

  // Left column: printer configuration.
  inv.Frame(kFrmConfig, "Printer configuration");
  inv.Frame(kFrmMechanism, "Paper width", kFrmConfig);
  inv.Option(kOptMech60, "60 mm", "60mm mechanism", kFrmMechanism, true);
  inv.Option(kOptMech80, "80 mm", "80mm mechanism", kFrmMechanism);
  inv.Frame(kFrmPort, "Port Selection", kFrmConfig);
  inv.Option(kOptCOM0, "COM1", "Serial Port 0", kFrmPort, true);
  inv.Option(kOptCOM1, "COM2", "Serial Port 1", kFrmPort);
  inv.Option(kOptCOM2, "COM3", "Serial Port 2", kFrmPort);
  inv.Option(kOptLPT1, "LPT1", "Parallel Port 1", kFrmPort);
  inv.Option(kOptLPT2, "LPT2", "Parallel Port 2", kFrmPort);
  inv.Frame(kFrmComm, "Host Communications setup", kFrmConfig);
  inv.Frame(kFrmBaud, "Baud Rate", kFrmComm);
  inv.Option(kOpt4800, "4800", "", kFrmBaud);
  inv.Option(kOpt9600, "9600", "", kFrmBaud, true);
  inv.Option(kOpt19200, "19200", "", kFrmBaud);
  inv.Option(kOpt38400, "38400", "", kFrmBaud);
  inv.Frame(kFrmPar, "Parity", kFrmComm);
  inv.Option(kOptEVEN, "EVEN", "", kFrmPar);
  inv.Option(kOptODD, "ODD", "", kFrmPar);
  inv.Option(kOptNONE, "NONE", "", kFrmPar, true);
  inv.Frame(kFrmBits, "Bits of data", kFrmComm);
  inv.Option(kOptEight, "8 (fixed)", "", kFrmBits, true);
  inv.Frame(kFrmStop, "Stop bits", kFrmComm);
  inv.Option(kOptOne, "1 (fixed)", "", kFrmStop, true);
  inv.Frame(kFrmSpeed, "Print Speed", kFrmConfig);
  inv.Option(kOpt50mm, "50mm/s", "", kFrmSpeed);
  inv.Option(kOpt80mm, "80mm/s", "", kFrmSpeed);
  inv.Option(kOpt100mm, "100mm/s", "", kFrmSpeed);
  inv.Option(kOpt150mm, "150mm/s", "", kFrmSpeed, true);
  inv.Button(kCmdRestore, "&Restore Default", "Restores Default Printer Configuration", kFrmConfig);

  // Middle column: the sample ticket.
  inv.Frame(kFrmSample, "Sample Ticket");
  inv.Label(kLblSample, "Text to print:", kFrmSample);
  inv.Text(kTxtSample, "ZN740 sample ticket", 25, kFrmSample);
  inv.Frame(kFrmFormat, "Text Format", kFrmSample);
  inv.Label(kLblXScale, "X-Scale (1 to 8)", kFrmFormat);
  inv.Text(kTxtXScale, "1", 2, kFrmFormat);
  inv.Scroll(kHscrXscale, 1, 8, 1, kFrmFormat);
  inv.Label(kLblYscale, "Y-Scale (1 to 8)", kFrmFormat);
  inv.Text(kTxtYScale, "1", 0, kFrmFormat);
  inv.Scroll(kHscrYscale, 1, 8, 1, kFrmFormat);
  inv.Label(kLblLinesp, "Line Spacing (1 to 255)", kFrmFormat);
  inv.Text(kTxtLinesp, "1", 0, kFrmFormat);
  inv.Scroll(kHscrLinesp, 1, 255, 1, kFrmFormat);
  inv.Label(kLblCharsp, "Char Spacing (1 to 255)", kFrmFormat);
  inv.Text(kTxtCharsp, "1", 0, kFrmFormat);
  inv.Scroll(kHscrCharsp, 1, 255, 1, kFrmFormat);
  inv.Label(kLblLeftMargin, "Left Margin (0 to 448)", kFrmFormat);
  inv.Text(kTxtLeftMgn, "0", 0, kFrmFormat);
  inv.Scroll(kHscrLeftMgn, 0, 448, 1, kFrmFormat);
  inv.Label(kLblDensity, "Print Density (-10 to 10)", kFrmFormat);
  inv.Text(kTxtDensity, "0", 0, kFrmFormat);
  inv.Scroll(kHscrDensity, -10, 10, 0, kFrmFormat);
  inv.Label(kLblLines, "Num of lines (1 to 50)", kFrmFormat);
  inv.Text(kTxtLines, "1", 0, kFrmFormat);
  inv.Scroll(kHscrLines, 1, 50, 1, kFrmFormat);
  inv.Frame(kFrmFont, "Character Font", kFrmFormat);
  inv.Option(kOptFontA, "Font A (12x24)", "", kFrmFont, true);
  inv.Option(kOptFontB, "Font B (8x16)", "", kFrmFont);
  inv.Frame(kFrmGrafico, "Graphic", kFrmFormat);
  inv.Check(kCheckGraphic, "Print Graphic?", kFrmGrafico);
  inv.Option(kOption1, "Space", "", kFrmGrafico, true, 0);
  inv.Option(kOption1, "Orval", "", kFrmGrafico, false, 1);
  inv.Option(kOption1, "Squares", "", kFrmGrafico, false, 2);
  inv.Frame(kFrmCodBarras, "BarCode", kFrmFormat);
  inv.Check(kChkBarCode, "Print Barcode?", kFrmCodBarras);
  inv.Label(kLblCodeBar, "BarCode:", kFrmCodBarras);
  {
    Control combo = Inventory::Make(kCombo1, ControlKind::kComboBox, kFrmCodBarras, "");
    combo.items = {"EAN-13", "CODE-39", "ITF", "CODE-128(C)"};
    combo.text = "EAN-13";
    combo.list_index = -1;  // Form_Load selects the first entry
    inv.Add(std::move(combo));
  }
  inv.Label(kLblBarCode, "Barcode codification:", kFrmCodBarras);
  inv.Text(kTxtBarCode, "", 20, kFrmCodBarras);
  inv.Button(kCmdPrint, "&Print", "Prints sample ticket", kFrmSample);
  inv.Button(kCmdSettings, "&Save Settings", "Saves text settings to printer memory", kFrmSample,
             false);
  inv.Button(kCmdAutotest, "&Autotest", "", kFrmSample);

  // Right column: printer status, logo, About and Exit.
  inv.Frame(kFrmStatus, "Printer Status");
  inv.Frame(kFrmError, "Error Status", kFrmStatus, 0);
  inv.Check(kChkHead, "No paper /head up", {kFrmError, 0});
  inv.Check(kChkVp, "Head voltage", {kFrmError, 0});
  inv.Check(kChkCutter, "Cutter", {kFrmError, 0});
  inv.Check(kChkBM, "Black Mark", {kFrmError, 0});
  inv.Check(kChkTemp, "Temperature", {kFrmError, 0});
  inv.Check(kChkHard, "Hardware", {kFrmError, 0});
  inv.Check(kChkPNEnd, "Paper-near-end", {kFrmError, 0});
  inv.Button(kCmdCheck, "&Check Status", "Enables status request", kFrmStatus);
  inv.Add(Inventory::Make(kImgLogo, ControlKind::kImage, {}, ""));
  inv.Button(kCommandAbout, "About", "About", {});
  inv.Button(kCmdExit, "E&xit", "Exits program", {});

  for (int port = 1; port <= 3; ++port) {
    const auto id = static_cast<ControlId>(static_cast<int>(kMSComm1) + port - 1);
    Control comm = Inventory::Make(id, ControlKind::kSerialControl, {}, "");
    comm.visible = false;
    comm.value = port;  // the port number it opens
    inv.Add(std::move(comm));
  }
}

}  // namespace qw77
