// The printer tools window: F6 opens it without touching the main window's focus or tab
// order; it refuses what it cannot do with a sentence in its log; nothing is written to the
// printer's NV memory without a yes; and against the virtual printer over its
// pseudo-terminal it shows what the printer reports and stores a logo with its picture.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "frontend/PrinterTools.h"
#include "frontend/ToolsPages.h"
#include "platform/posix/SteadyClock.h"
#include "platform/posix/TermiosSerialControl.h"
#include "tests/frontend/GuiRig.h"
#include "vprinter/endpoints/Server.h"

using qw77::FrmMenu;
using qw77::frontend::PrinterToolsWindow;
using qw77::testing::GuiRig;
using qw77::testing::ModalWatcher;

namespace {

constexpr char kModel[] = "QW77 Bench Model 7";

// The controls Tab stops at, from Exit round again (see tst_window).
std::vector<std::string> TabStops(GuiRig& rig) {
  rig.W("CmdExit")->setFocus(Qt::TabFocusReason);
  std::vector<std::string> visited{rig.FocusedKey()};
  for (std::size_t i = 0; i < FrmMenu::TabOrder().size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(rig.FocusedKey());
    if (visited.back() == "CmdExit") break;
  }
  return visited;
}

PrinterToolsWindow& PressF6(GuiRig& rig) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
  return *rig.window->Tools();
}

void ClickButton(PrinterToolsWindow& tools, const char* name) {
  auto* button = tools.findChild<QPushButton*>(QString::fromLatin1(name));
  QVERIFY2(button != nullptr, name);
  button->click();
}

// COM1 at 9600,N,8,1, picked as the operator picks them.
void PickCom1(GuiRig& rig) {
  rig.Click("OptCOM0");
  rig.Click("Opt9600");
  rig.Click("OptNONE");
}

// The main window with COM1 on the virtual printer's pseudo-terminal, on the real clock.
struct PrinterRig {
  QTemporaryDir dir;
  qw77::vprinter::StatusModel status;
  std::unique_ptr<qw77::vprinter::Printer> printer;
  std::unique_ptr<qw77::vprinter::Server> server;
  std::thread thread;
  std::unique_ptr<qw77::TermiosSerialControl> com1;
  qw77::SteadyClock clock;
  std::unique_ptr<GuiRig> gui;

  bool Start() {
    static auto fonts = qw77::vprinter::Fonts::LoadDefault();
    if (!fonts) return false;
    qw77::vprinter::PrinterOptions options;
    options.out_dir = dir.path().toStdString();
    options.model_name = kModel;
    printer = std::make_unique<qw77::vprinter::Printer>(*fonts, status, options);
    server = std::make_unique<qw77::vprinter::Server>(*printer);
    const std::string device = dir.filePath("com1").toStdString();
    if (!server->OpenSerial({device, 0, false}).ok()) return false;
    thread = std::thread([this] { server->Run(); });
    qw77::TermiosOptions termios;
    termios.device = device;
    com1 = std::make_unique<qw77::TermiosSerialControl>(1, termios);
    gui = std::make_unique<GuiRig>([this](qw77::Services& s) {
      s.serial[0] = com1.get();
      s.clock = &clock;
    });
    return gui->Open();
  }
  ~PrinterRig() {
    if (thread.joinable()) {
      server->Stop();
      thread.join();
    }
  }
};

// A 24-bit picture with a black frame and a grey disc, as an operator's logo file.
QString WriteLogoFile(const QTemporaryDir& dir) {
  QImage picture(120, 60, QImage::Format_RGB888);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setPen(QPen(Qt::black, 4));
  painter.drawRect(2, 2, 116, 56);
  painter.setBrush(QColor(128, 128, 128));
  painter.drawEllipse(40, 10, 40, 40);
  painter.end();
  const QString path = dir.filePath("logo.png");
  picture.save(path);
  return path;
}

}  // namespace

class ToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void f6OpensToolsAndLeavesFocusAndTabOrderAlone();
  void refusalsAreToldInTheWindow_data();
  void refusalsAreToldInTheWindow();
  void aSilentPrinterIsToldNotDropped();
  void nothingReachesNvMemoryWithoutAYes_data();
  void nothingReachesNvMemoryWithoutAYes();
  void switchChangesAreReadOrRefused_data();
  void switchChangesAreReadOrRefused();
  void informationShowsTheModelOfTheVirtualPrinter();
  void storedLogoIsListedWithItsPicture();
};

void ToolsTest::f6OpensToolsAndLeavesFocusAndTabOrderAlone() {
  GuiRig rig;
  QVERIFY(rig.Open());
  rig.Click("OptCOM1");
  const std::vector<std::string> tab_stops = TabStops(rig);
  rig.Click("OptCOM1");
  // Every focus change the record sees, from here on (kept as long as the record).
  auto focus_log = std::make_shared<std::vector<std::string>>();
  rig.state().Observe([focus_log](const qw77::Control& c, qw77::Field field) {
    if (field == qw77::Field::kFocus) focus_log->push_back(c.Key());
  });

  PrinterToolsWindow& tools = PressF6(rig);
  QVERIFY(QTest::qWaitForWindowActive(&tools));
  QCOMPARE(tools.windowTitle(), QStringLiteral("Printer tools"));
  const auto* pages = tools.findChild<QTabWidget*>("Pages");
  QStringList titles;
  for (int i = 0; i < pages->count(); ++i) titles << pages->tabText(i);
  QCOMPARE(titles, QStringList({"&Information", "&Logos", "C&ounters", "Set&up", "&Test prints"}));
  // The port the main window selects, with the baud rate and parity Tab went past.
  QCOMPARE(tools.TargetText(), QStringLiteral("Port: COM2 at 9600,N,8,1"));

  tools.close();
  rig.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
  QCOMPARE(rig.FocusedKey(), std::string("OptCOM1"));
  QCOMPARE(*focus_log, std::vector<std::string>{});
  // F6 again brings back the same window.
  QCOMPARE(&PressF6(rig), &tools);
  tools.close();
  rig.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
  QCOMPARE(TabStops(rig), tab_stops);
}

void ToolsTest::refusalsAreToldInTheWindow_data() {
  QTest::addColumn<QString>("port");
  QTest::addColumn<bool>("busy");
  QTest::addColumn<QString>("told");
  QTest::newRow("a parallel port") << "OptLPT1" << false << "needs a port that can answer";
  QTest::newRow("a job of the main window") << "" << true << "main window is under way";
  QTest::newRow("no baud rate picked") << "OptCOM0" << false << "Pick a baud rate";
}

void ToolsTest::refusalsAreToldInTheWindow() {
  QFETCH(QString, port);
  QFETCH(bool, busy);
  QFETCH(QString, told);
  GuiRig rig;
  QVERIFY(rig.Open());
  if (port.isEmpty()) {
    PickCom1(rig);
  } else {
    rig.Click(port.toStdString());
  }
  rig.frm->JobBusy = busy ? 1 : 0;
  PrinterToolsWindow& tools = PressF6(rig);
  ClickButton(tools, "ReadInfo");
  QVERIFY2(tools.LogText().contains("Failed: Read information: "), qPrintable(tools.LogText()));
  QVERIFY2(tools.LogText().contains(told), qPrintable(tools.LogText()));
  QCOMPARE(rig.com1.opens, 0);
  QVERIFY(rig.ports.log.empty());
  QVERIFY(tools.findChild<QTabWidget*>("Pages")->isEnabled());
}

void ToolsTest::aSilentPrinterIsToldNotDropped() {
  GuiRig rig;
  QVERIFY(rig.Open());
  PickCom1(rig);
  PrinterToolsWindow& tools = PressF6(rig);
  ClickButton(tools, "ReadInfo");
  // The heading, at least one line of the report's own words, then the failure.
  const QString log = tools.LogText();
  const auto failed =
      log.split('\n').indexOf(QRegularExpression(".* Failed: Read information did not succeed\\."));
  QVERIFY2(failed >= 2, qPrintable(log));
  QCOMPARE(tools.findChild<QLabel*>("InfoModel")->text(), QStringLiteral("—"));
  QVERIFY(!rig.com1.Sent().empty());
  QVERIFY(!rig.com1.IsOpen());
}

void ToolsTest::nothingReachesNvMemoryWithoutAYes_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("button");
  QTest::newRow("reset counters") << 2 << "ResetCounters";
  QTest::newRow("delete a logo") << 1 << "DeleteLogo";
  QTest::newRow("delete all logos") << 1 << "DeleteAllLogos";
  QTest::newRow("set the setup") << 3 << "SetSetup";
}

void ToolsTest::nothingReachesNvMemoryWithoutAYes() {
  QFETCH(int, page);
  QFETCH(QString, button);
  GuiRig rig;
  QVERIFY(rig.Open());
  PickCom1(rig);
  PrinterToolsWindow& tools = PressF6(rig);
  tools.findChild<QTabWidget*>("Pages")->setCurrentIndex(page);
  tools.findChild<QComboBox*>("ChangeDensity")->setCurrentIndex(4);
  // Enter takes the default button of the question, which is Cancel.
  ModalWatcher watcher([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  ClickButton(tools, button.toLatin1().constData());
  QCOMPARE(watcher.seen.class_name, QStringLiteral("QDialog"));
  QCOMPARE(watcher.seen.title, QStringLiteral("Write to the printer's memory?"));
  QCOMPARE(rig.com1.opens, 0);
  QVERIFY(rig.com1.Sent().empty());
  QVERIFY2(tools.LogText().contains("Cancelled: nothing was written."),
           qPrintable(tools.LogText()));
}

void ToolsTest::switchChangesAreReadOrRefused_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("changes");  // -1: refused
  QTest::newRow("none") << "  " << 0;
  QTest::newRow("lowest and highest switch") << "1=00000000, 8=22222221" << 2;
  QTest::newRow("switch 0") << "0=00000000" << -1;
  QTest::newRow("switch 9") << "9=00000000" << -1;
  QTest::newRow("seven bits") << "2=0000000" << -1;
  QTest::newRow("nine bits") << "2=000000000" << -1;
  QTest::newRow("a bit of 3") << "2=00000003" << -1;
  QTest::newRow("no bits") << "2" << -1;
  QTest::newRow("twice the same") << "2=00000000 2=11111111" << -1;
}

void ToolsTest::switchChangesAreReadOrRefused() {
  QFETCH(QString, text);
  QFETCH(int, changes);
  const auto parsed = qw77::frontend::ParseSwitchChanges(text.toStdString());
  QCOMPARE(parsed.ok(), changes >= 0);
  if (changes >= 0) {
    QCOMPARE(static_cast<int>(parsed->size()), changes);
  } else {
    QVERIFY(!parsed.status().message().empty());
  }
}

void ToolsTest::informationShowsTheModelOfTheVirtualPrinter() {
  PrinterRig rig;
  QVERIFY(rig.Start());
  PickCom1(*rig.gui);
  PrinterToolsWindow& tools = PressF6(*rig.gui);
  QVERIFY2(tools.TargetText().endsWith("COM1 at 9600,N,8,1"), qPrintable(tools.TargetText()));
  ClickButton(tools, "ReadInfo");
  QCOMPARE(tools.findChild<QLabel*>("InfoModel")->text(), QString::fromLatin1(kModel));
  QCOMPARE(tools.findChild<QLabel*>("InfoStatus")->text(), QStringLiteral("no condition"));
  QVERIFY2(!tools.LogText().contains("Failed"), qPrintable(tools.LogText()));
}

void ToolsTest::storedLogoIsListedWithItsPicture() {
  PrinterRig rig;
  QVERIFY(rig.Start());
  PickCom1(*rig.gui);
  PrinterToolsWindow& tools = PressF6(*rig.gui);
  tools.findChild<QTabWidget*>("Pages")->setCurrentIndex(1);
  tools.findChild<QLineEdit*>("LogoKey")->setText("Q7");
  const QString file = WriteLogoFile(rig.dir);

  // The file dialog, then the question with the dithered picture, answered yes.
  std::unique_ptr<ModalWatcher> question;
  QImage asked;
  ModalWatcher dialog([&](QWidget* modal) {
    question = std::make_unique<ModalWatcher>([&asked](QWidget* box) {
      asked = box->findChild<QLabel*>("Picture")->pixmap().toImage();
      for (QAbstractButton* b : box->findChild<QDialogButtonBox*>()->buttons()) {
        if (b->text() == "&Write") b->click();
      }
    });
    auto* files = qobject_cast<QFileDialog*>(modal);
    files->selectFile(file);
    static_cast<QDialog*>(files)->accept();
  });
  ClickButton(tools, "StoreLogo");
  QCOMPARE(asked.size(), QSize(120, 60));
  QVERIFY2(!tools.LogText().contains("Failed"), qPrintable(tools.LogText()));
  const QString sent = tools.findChild<QProgressBar*>("Progress")->format();
  QVERIFY2(sent.endsWith("bytes sent"), qPrintable(sent));

  // A logo stored by someone else: the printer lists its key, never its picture.
  const qw77::ToolPort port{rig.com1.get(), {}, &rig.clock, "COM1"};
  QVERIFY(qw77::StoreLogo(port, {'Z', '9'}, {8, 1, std::vector<std::uint8_t>(8, 1)}).ok());

  ClickButton(tools, "ReadLogos");
  const auto* list = tools.findChild<QListWidget*>("LogoList");
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  items.sort();
  QCOMPARE(items, QStringList({"Q7  ·  120 × 60 dots, stored from this window",
                               "Z9  ·  picture not available from the printer"}));
}

QTEST_MAIN(ToolsTest)
#include "tst_tools.moc"
