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

}  // namespace

void MainWindow::Arrange() {
  auto W = [this](const char* key) {
    QWidget* w = ControlWidget(key);
    Q_ASSERT(w != nullptr);
    return w;
  };
  auto Frame = [&W](const char* key) { return static_cast<QGroupBox*>(W(key)); };
  auto Options = [&W](QLayout* layout, std::initializer_list<const char*> keys) {
    for (const char* key : keys) layout->addWidget(W(key));
  };

  // --- left column: printer configuration ----------------------------------------------
  auto* mechanism = new QHBoxLayout(Frame("FrmMechanism"));
  Options(mechanism, {"OptMech60", "OptMech80"});

  auto* port = new QGridLayout(Frame("FrmPort"));
  port->addWidget(W("OptCOM0"), 0, 0);
  port->addWidget(W("OptCOM1"), 0, 1);
  port->addWidget(W("OptCOM2"), 0, 2);
  port->addWidget(W("OptLPT1"), 1, 0);
  port->addWidget(W("OptLPT2"), 1, 1);

  Options(new QVBoxLayout(Frame("FrmBaud")), {"Opt4800", "Opt9600", "Opt19200", "Opt38400"});
  auto* parity = new QVBoxLayout(Frame("FrmPar"));
  Options(parity, {"OptEVEN", "OptODD", "OptNONE"});
  parity->addStretch();
  Options(new QVBoxLayout(Frame("FrmBits")), {"OptEight"});
  Options(new QVBoxLayout(Frame("FrmStop")), {"OptOne"});
  auto* comm = new QGridLayout(Frame("FrmComm"));
  comm->addWidget(W("FrmBaud"), 0, 0);
  comm->addWidget(W("FrmPar"), 0, 1);
  comm->addWidget(W("FrmBits"), 1, 0);
  comm->addWidget(W("FrmStop"), 1, 1);

  auto* speed = new QGridLayout(Frame("FrmSpeed"));
  speed->addWidget(W("Opt50mm"), 0, 0);
  speed->addWidget(W("Opt80mm"), 0, 1);
  speed->addWidget(W("Opt100mm"), 1, 0);
  speed->addWidget(W("Opt150mm"), 1, 1);

  auto* config = new QVBoxLayout(Frame("FrmConfig"));
  config->addWidget(W("FrmMechanism"));
  config->addWidget(W("FrmPort"));
  config->addWidget(W("FrmComm"));
  config->addWidget(W("FrmSpeed"));
  config->addStretch();
  config->addWidget(W("CmdRestore"));

  // --- middle column: the sample ticket -----------------------------------------------
  auto* format = new QGridLayout(Frame("FrmFormat"));
  const char* rows[][3] = {
      {"LblXScale", "TxtXScale", "HscrXscale"},       {"LblYscale", "TxtYScale", "HscrYscale"},
      {"LblLinesp", "TxtLinesp", "HscrLinesp"},       {"LblCharsp", "TxtCharsp", "HscrCharsp"},
      {"LblLeftMargin", "TxtLeftMgn", "HscrLeftMgn"}, {"LblDensity", "TxtDensity", "HscrDensity"},
      {"LblLines", "TxtLines", "HscrLines"},
  };
  int row = 0;
  for (const auto& r : rows) {
    format->addWidget(W(r[0]), row, 0);
    W(r[1])->setFixedWidth(48);
    format->addWidget(W(r[1]), row, 1);
    W(r[2])->setMinimumWidth(150);
    format->addWidget(W(r[2]), row, 2);
    ++row;
  }
  Options(new QVBoxLayout(Frame("FrmFont")), {"OptFontA", "OptFontB"});
  Options(new QVBoxLayout(Frame("FrmGrafico")),
          {"CheckGraphic", "Option1(0)", "Option1(1)", "Option1(2)"});
  auto* choices = new QHBoxLayout;
  choices->addWidget(W("FrmFont"), 1, Qt::AlignTop);
  choices->addWidget(W("FrmGrafico"), 1);
  format->addLayout(choices, row++, 0, 1, 3);

  auto* barcode = new QGridLayout(Frame("FrmCodBarras"));
  barcode->addWidget(W("ChkBarCode"), 0, 0, 1, 2);
  barcode->addWidget(W("LblCodeBar"), 1, 0);
  barcode->addWidget(W("Combo1"), 1, 1);
  barcode->addWidget(W("LblBarCode"), 2, 0);
  barcode->addWidget(W("TxtBarCode"), 2, 1);
  barcode->setColumnStretch(1, 1);
  format->addWidget(W("FrmCodBarras"), row++, 0, 1, 3);

  auto* sample = new QVBoxLayout(Frame("FrmSample"));
  auto* text_row = new QHBoxLayout;
  text_row->addWidget(W("LblSample"));
  text_row->addWidget(W("TxtSample"), 1);
  sample->addLayout(text_row);
  sample->addWidget(W("FrmFormat"));
  auto* actions = new QHBoxLayout;
  Options(actions, {"CmdPrint", "CmdSettings", "CmdAutotest"});
  sample->addLayout(actions);

  // --- right column: status, logo, About and Exit ---------------------------------------
  Options(new QVBoxLayout(W("FrmError(0)")),
          {"ChkHead", "ChkVp", "ChkCutter", "ChkBM", "ChkTemp", "ChkHard", "ChkPNEnd"});
  auto* status = new QVBoxLayout(Frame("FrmStatus"));
  status->addWidget(W("FrmError(0)"));
  status->addWidget(W("CmdCheck"));

  auto* right = new QVBoxLayout;
  right->addWidget(W("FrmStatus"));
  right->addWidget(preview_, 1);  // the room left between the status and the logo
  right->addWidget(W("ImgLogo"), 0, Qt::AlignHCenter);
  auto* about_exit = new QHBoxLayout;
  Options(about_exit, {"CommandAbout", "CmdExit"});
  right->addLayout(about_exit);

  for (const char* panel : {"FrmConfig", "FrmSample", "FrmStatus"}) UseHeadingFont(Frame(panel));

  auto* columns = new QHBoxLayout(this);
  columns->addWidget(W("FrmConfig"));
  columns->addWidget(W("FrmSample"));
  columns->addLayout(right);
}

}  // namespace qw77::frontend
