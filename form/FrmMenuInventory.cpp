// The inventory of the main window: every control with its caption, tool-tip, initial
// state and range, grouped by the frame that holds it.
#include "form/FrmMenu.h"

namespace qw77 {
namespace {

class Inventory {
 public:
  explicit Inventory(WindowState& state) : state_(state) {}

  void Frame(const char* name, const char* caption, const char* parent = "", int index = -1) {
    Control c = Make(name, ControlKind::kFrame, parent, caption);
    c.index = index;
    state_.Add(std::move(c));
  }
  void Button(const char* name, const char* caption, const char* tip, const char* parent,
              bool enabled = true) {
    Control c = Make(name, ControlKind::kCommandButton, parent, caption, tip);
    c.enabled = enabled;
    state_.Add(std::move(c));
  }
  void Option(const char* name, const char* caption, const char* tip, const char* group,
              bool selected = false, int index = -1, const char* parent = nullptr) {
    Control c = Make(name, ControlKind::kOptionButton, parent ? parent : group, caption, tip);
    c.group = group;
    c.selected = selected;
    c.index = index;
    state_.Add(std::move(c));
  }
  void Check(const char* name, const char* caption, const char* parent) {
    state_.Add(Make(name, ControlKind::kCheckBox, parent, caption));
  }
  void Label(const char* name, const char* caption, const char* parent) {
    state_.Add(Make(name, ControlKind::kLabel, parent, caption));
  }
  void Text(const char* name, const char* text, int max_length, const char* parent) {
    Control c = Make(name, ControlKind::kTextBox, parent, "");
    c.text = text;
    c.max_length = max_length;
    state_.Add(std::move(c));
  }
  void Scroll(const char* name, int minimum, int maximum, int value, const char* parent) {
    Control c = Make(name, ControlKind::kScrollBar, parent, "");
    c.minimum = minimum;
    c.maximum = maximum;
    c.value = value;
    state_.Add(std::move(c));
  }
  void Add(Control c) { state_.Add(std::move(c)); }

  static Control Make(const char* name, ControlKind kind, const char* parent, const char* caption,
                      const char* tip = "") {
    Control c;
    c.name = name;
    c.kind = kind;
    c.parent = parent;
    c.caption = caption;
    c.tool_tip = tip;
    return c;
  }

 private:
  WindowState& state_;
};

}  // namespace

void AddFrmMenuControls(WindowState& state) {
  Inventory inv(state);

  // Left column: printer configuration.
  inv.Frame("FrmConfig", "Printer configuration");
  inv.Frame("FrmMechanism", "Paper width", "FrmConfig");
  inv.Option("OptMech60", "60 mm", "60mm mechanism", "FrmMechanism", true);
  inv.Option("OptMech80", "80 mm", "80mm mechanism", "FrmMechanism");
  inv.Frame("FrmPort", "Port Selection", "FrmConfig");
  inv.Option("OptCOM0", "COM1", "Serial Port 0", "FrmPort", true);
  inv.Option("OptCOM1", "COM2", "Serial Port 1", "FrmPort");
  inv.Option("OptCOM2", "COM3", "Serial Port 2", "FrmPort");
  inv.Option("OptLPT1", "LPT1", "Parallel Port 1", "FrmPort");
  inv.Option("OptLPT2", "LPT2", "Parallel Port 2", "FrmPort");
  inv.Frame("FrmComm", "Host Communications setup", "FrmConfig");
  inv.Frame("FrmBaud", "Baud Rate", "FrmComm");
  inv.Option("Opt4800", "4800", "", "FrmBaud");
  inv.Option("Opt9600", "9600", "", "FrmBaud", true);
  inv.Option("Opt19200", "19200", "", "FrmBaud");
  inv.Option("Opt38400", "38400", "", "FrmBaud");
  inv.Frame("FrmPar", "Parity", "FrmComm");
  inv.Option("OptEVEN", "EVEN", "", "FrmPar");
  inv.Option("OptODD", "ODD", "", "FrmPar");
  inv.Option("OptNONE", "NONE", "", "FrmPar", true);
  inv.Frame("FrmBits", "Bits of data", "FrmComm");
  inv.Option("OptEight", "8 (fixed)", "", "FrmBits", true);
  inv.Frame("FrmStop", "Stop bits", "FrmComm");
  inv.Option("OptOne", "1 (fixed)", "", "FrmStop", true);
  inv.Frame("FrmSpeed", "Print Speed", "FrmConfig");
  inv.Option("Opt50mm", "50mm/s", "", "FrmSpeed");
  inv.Option("Opt80mm", "80mm/s", "", "FrmSpeed");
  inv.Option("Opt100mm", "100mm/s", "", "FrmSpeed");
  inv.Option("Opt150mm", "150mm/s", "", "FrmSpeed", true);
  inv.Button("CmdRestore", "&Restore Default", "Restores Default Printer Configuration",
             "FrmConfig");

  // Middle column: the sample ticket.
  inv.Frame("FrmSample", "Sample Ticket");
  inv.Label("LblSample", "Text to print:", "FrmSample");
  inv.Text("TxtSample", "ZN740 sample ticket", 25, "FrmSample");
  inv.Frame("FrmFormat", "Text Format", "FrmSample");
  inv.Label("LblXScale", "X-Scale (1 to 8)", "FrmFormat");
  inv.Text("TxtXScale", "1", 2, "FrmFormat");
  inv.Scroll("HscrXscale", 1, 8, 1, "FrmFormat");
  inv.Label("LblYscale", "Y-Scale (1 to 8)", "FrmFormat");
  inv.Text("TxtYScale", "1", 0, "FrmFormat");
  inv.Scroll("HscrYscale", 1, 8, 1, "FrmFormat");
  inv.Label("LblLinesp", "Line Spacing (1 to 255)", "FrmFormat");
  inv.Text("TxtLinesp", "1", 0, "FrmFormat");
  inv.Scroll("HscrLinesp", 1, 255, 1, "FrmFormat");
  inv.Label("LblCharsp", "Char Spacing (1 to 255)", "FrmFormat");
  inv.Text("TxtCharsp", "1", 0, "FrmFormat");
  inv.Scroll("HscrCharsp", 1, 255, 1, "FrmFormat");
  inv.Label("LblLeftMargin", "Left Margin (0 to 448)", "FrmFormat");
  inv.Text("TxtLeftMgn", "0", 0, "FrmFormat");
  inv.Scroll("HscrLeftMgn", 0, 448, 1, "FrmFormat");
  inv.Label("LblDensity", "Print Density (-10 to 10)", "FrmFormat");
  inv.Text("TxtDensity", "0", 0, "FrmFormat");
  inv.Scroll("HscrDensity", -10, 10, 0, "FrmFormat");
  inv.Label("LblLines", "Num of lines (1 to 50)", "FrmFormat");
  inv.Text("TxtLines", "1", 0, "FrmFormat");
  inv.Scroll("HscrLines", 1, 50, 1, "FrmFormat");
  inv.Frame("FrmFont", "Character Font", "FrmFormat");
  inv.Option("OptFontA", "Font A (12x24)", "", "FrmFont", true);
  inv.Option("OptFontB", "Font B (8x16)", "", "FrmFont");
  inv.Frame("FrmGrafico", "Graphic", "FrmFormat");
  inv.Check("CheckGraphic", "Print Graphic?", "FrmGrafico");
  inv.Option("Option1", "Space", "", "FrmGrafico", true, 0);
  inv.Option("Option1", "Orval", "", "FrmGrafico", false, 1);
  inv.Option("Option1", "Squares", "", "FrmGrafico", false, 2);
  inv.Frame("FrmCodBarras", "BarCode", "FrmFormat");
  inv.Check("ChkBarCode", "Print Barcode?", "FrmCodBarras");
  inv.Label("LblCodeBar", "BarCode:", "FrmCodBarras");
  {
    Control combo = Inventory::Make("Combo1", ControlKind::kComboBox, "FrmCodBarras", "");
    combo.items = {"EAN-13", "CODE-39", "ITF", "CODE-128(C)"};
    combo.text = "EAN-13";
    combo.list_index = -1;  // Form_Load selects the first entry
    inv.Add(std::move(combo));
  }
  inv.Label("LblBarCode", "Barcode codification:", "FrmCodBarras");
  inv.Text("TxtBarCode", "", 20, "FrmCodBarras");
  inv.Button("CmdPrint", "&Print", "Prints sample ticket", "FrmSample");
  inv.Button("CmdSettings", "&Save Settings", "Saves text settings to printer memory", "FrmSample",
             false);
  inv.Button("CmdAutotest", "&Autotest", "", "FrmSample");

  // Right column: printer status, logo, About and Exit.
  inv.Frame("FrmStatus", "Printer Status");
  inv.Frame("FrmError", "Error Status", "FrmStatus", 0);
  inv.Check("ChkHead", "No paper /head up", "FrmError(0)");
  inv.Check("ChkVp", "Head voltage", "FrmError(0)");
  inv.Check("ChkCutter", "Cutter", "FrmError(0)");
  inv.Check("ChkBM", "Black Mark", "FrmError(0)");
  inv.Check("ChkTemp", "Temperature", "FrmError(0)");
  inv.Check("ChkHard", "Hardware", "FrmError(0)");
  inv.Check("ChkPNEnd", "Paper-near-end", "FrmError(0)");
  inv.Button("CmdCheck", "&Check Status", "Enables status request", "FrmStatus");
  inv.Add(Inventory::Make("ImgLogo", ControlKind::kImage, "", ""));
  inv.Button("CommandAbout", "About", "About", "");
  inv.Button("CmdExit", "E&xit", "Exits program", "");

  for (int port = 1; port <= 3; ++port) {
    Control comm = Inventory::Make("", ControlKind::kSerialControl, "", "");
    comm.name = "MSComm" + std::to_string(port);
    comm.visible = false;
    comm.value = port;  // the port number it opens
    inv.Add(std::move(comm));
  }
}

}  // namespace qw77
