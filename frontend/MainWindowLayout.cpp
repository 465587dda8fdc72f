// Where the controls stand: three columns, configuration on the left, the sample ticket in
// the middle, status, logo and the About and Exit buttons on the right.
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "frontend/MainWindow.h"
#include "frontend/TicketPreview.h"

namespace qw77::frontend {
namespace {

// The three panels carry a bold 12-point heading; what they hold keeps the normal font.
void UseHeadingFont(QGroupBox* panel) {
  // Every property named explicitly, or the children would still inherit the heading's.
  QFont normal = panel->font();
  normal.setPointSizeF(normal.pointSizeF());
  normal.setWeight(QFont::Normal);
  QFont heading = normal;
  heading.setPointSize(12);
  heading.setBold(true);
  panel->setFont(heading);
  for (QObject* child : panel->children()) {
    if (auto* w = qobject_cast<QWidget*>(child)) w->setFont(normal);
  }
}

// The window's widgets by key, for laying them out.
struct Widgets {
  const MainWindow& window;

  QWidget* W(const char* key) const {
    QWidget* w = window.ControlWidget(key);
    Q_ASSERT(w != nullptr);
    return w;
  }
  QGroupBox* Frame(const char* key) const { return static_cast<QGroupBox*>(W(key)); }
  void Options(QLayout* layout, std::initializer_list<const char*> keys) const {
    for (const char* key : keys) layout->addWidget(W(key));
  }
};

void ArrangeConfiguration(const Widgets& ui) {
  auto* mechanism = new QHBoxLayout(ui.Frame("FrmMechanism"));
  ui.Options(mechanism, {"OptMech60", "OptMech80"});

  auto* port = new QGridLayout(ui.Frame("FrmPort"));
  port->addWidget(ui.W("OptCOM0"), 0, 0);
  port->addWidget(ui.W("OptCOM1"), 0, 1);
  port->addWidget(ui.W("OptCOM2"), 0, 2);
  port->addWidget(ui.W("OptLPT1"), 1, 0);
  port->addWidget(ui.W("OptLPT2"), 1, 1);

  ui.Options(new QVBoxLayout(ui.Frame("FrmBaud")), {"Opt4800", "Opt9600", "Opt19200", "Opt38400"});
  auto* parity = new QVBoxLayout(ui.Frame("FrmPar"));
  ui.Options(parity, {"OptEVEN", "OptODD", "OptNONE"});
  parity->addStretch();
  ui.Options(new QVBoxLayout(ui.Frame("FrmBits")), {"OptEight"});
  ui.Options(new QVBoxLayout(ui.Frame("FrmStop")), {"OptOne"});
  auto* comm = new QGridLayout(ui.Frame("FrmComm"));
  comm->addWidget(ui.W("FrmBaud"), 0, 0);
  comm->addWidget(ui.W("FrmPar"), 0, 1);
  comm->addWidget(ui.W("FrmBits"), 1, 0);
  comm->addWidget(ui.W("FrmStop"), 1, 1);

  auto* speed = new QGridLayout(ui.Frame("FrmSpeed"));
  speed->addWidget(ui.W("Opt50mm"), 0, 0);
  speed->addWidget(ui.W("Opt80mm"), 0, 1);
  speed->addWidget(ui.W("Opt100mm"), 1, 0);
  speed->addWidget(ui.W("Opt150mm"), 1, 1);

  auto* config = new QVBoxLayout(ui.Frame("FrmConfig"));
  config->addWidget(ui.W("FrmMechanism"));
  config->addWidget(ui.W("FrmPort"));
  config->addWidget(ui.W("FrmComm"));
  config->addWidget(ui.W("FrmSpeed"));
  config->addStretch();
  config->addWidget(ui.W("CmdRestore"));
}

void ArrangeSampleTicket(const Widgets& ui) {
  auto* format = new QGridLayout(ui.Frame("FrmFormat"));
  const char* rows[][3] = {
      {"LblXScale", "TxtXScale", "HscrXscale"},       {"LblYscale", "TxtYScale", "HscrYscale"},
      {"LblLinesp", "TxtLinesp", "HscrLinesp"},       {"LblCharsp", "TxtCharsp", "HscrCharsp"},
      {"LblLeftMargin", "TxtLeftMgn", "HscrLeftMgn"}, {"LblDensity", "TxtDensity", "HscrDensity"},
      {"LblLines", "TxtLines", "HscrLines"},
  };
  int row = 0;
  for (const auto& r : rows) {
    format->addWidget(ui.W(r[0]), row, 0);
    ui.W(r[1])->setFixedWidth(48);
    format->addWidget(ui.W(r[1]), row, 1);
    ui.W(r[2])->setMinimumWidth(150);
    format->addWidget(ui.W(r[2]), row, 2);
    ++row;
  }
  ui.Options(new QVBoxLayout(ui.Frame("FrmFont")), {"OptFontA", "OptFontB"});
  ui.Options(new QVBoxLayout(ui.Frame("FrmGrafico")),
             {"CheckGraphic", "Option1(0)", "Option1(1)", "Option1(2)"});
  auto* choices = new QHBoxLayout;
  choices->addWidget(ui.W("FrmFont"), 1, Qt::AlignTop);
  choices->addWidget(ui.W("FrmGrafico"), 1);
  format->addLayout(choices, row++, 0, 1, 3);

  auto* barcode = new QGridLayout(ui.Frame("FrmCodBarras"));
  barcode->addWidget(ui.W("ChkBarCode"), 0, 0, 1, 2);
  barcode->addWidget(ui.W("LblCodeBar"), 1, 0);
  barcode->addWidget(ui.W("Combo1"), 1, 1);
  barcode->addWidget(ui.W("LblBarCode"), 2, 0);
  barcode->addWidget(ui.W("TxtBarCode"), 2, 1);
  barcode->setColumnStretch(1, 1);
  format->addWidget(ui.W("FrmCodBarras"), row++, 0, 1, 3);

  auto* sample = new QVBoxLayout(ui.Frame("FrmSample"));
  auto* text_row = new QHBoxLayout;
  text_row->addWidget(ui.W("LblSample"));
  text_row->addWidget(ui.W("TxtSample"), 1);
  sample->addLayout(text_row);
  sample->addWidget(ui.W("FrmFormat"));
  auto* actions = new QHBoxLayout;
  ui.Options(actions, {"CmdPrint", "CmdSettings", "CmdAutotest"});
  sample->addLayout(actions);
}

// The right column, with the preview in the room left between the status and the logo.
QVBoxLayout* ArrangeStatus(const Widgets& ui, QWidget* preview) {
  ui.Options(new QVBoxLayout(ui.W("FrmError(0)")),
             {"ChkHead", "ChkVp", "ChkCutter", "ChkBM", "ChkTemp", "ChkHard", "ChkPNEnd"});
  auto* status = new QVBoxLayout(ui.Frame("FrmStatus"));
  status->addWidget(ui.W("FrmError(0)"));
  status->addWidget(ui.W("CmdCheck"));

  auto* right = new QVBoxLayout;
  right->addWidget(ui.W("FrmStatus"));
  right->addWidget(preview, 1);
  right->addWidget(ui.W("ImgLogo"), 0, Qt::AlignHCenter);
  auto* about_exit = new QHBoxLayout;
  ui.Options(about_exit, {"CommandAbout", "CmdExit"});
  right->addLayout(about_exit);

  return right;
}

}  // namespace

void MainWindow::Arrange() {
  const Widgets ui{*this};
  // Left column: printer configuration; middle: the sample ticket; right: status, logo,
  // About and Exit.
  ArrangeConfiguration(ui);
  ArrangeSampleTicket(ui);
  QVBoxLayout* right = ArrangeStatus(ui, preview_);

  for (const char* panel : {"FrmConfig", "FrmSample", "FrmStatus"}) UseHeadingFont(ui.Frame(panel));

  auto* columns = new QHBoxLayout(this);
  columns->addWidget(ui.W("FrmConfig"));
  columns->addWidget(ui.W("FrmSample"));
  columns->addLayout(right);
}

}  // namespace qw77::frontend
