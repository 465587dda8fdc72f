// The ticket preview: the miniature follows the settings, shows the composer's sentence
// when they make no ticket, leaves the focus and the tab order alone, and at 1:1 shows
// exactly what the virtual printer prints from the same bytes over its serial line.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "frontend/TicketPreview.h"
#include "jobs/SampleTicketJob.h"
#include "protocol/BarcodeBlock.h"
#include "tests/TestPaths.h"
#include "tests/frontend/GuiRig.h"
#include "vprinter/endpoints/Server.h"

using qw77::ControlKind;
using qw77::FrmMenu;
using qw77::frontend::PreviewPane;
using qw77::testing::GuiRig;

namespace {

// Lets the preview's zero-time timer run.
void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// A window opened with the logos of the build beside the "program".
struct PreviewRig : GuiRig {
  bool OpenWithLogos() {
    system.program_directory = qw77::test::BinDir();
    const bool opened = Open();
    Settle();
    return opened;
  }
  PreviewPane& pane() const { return *window->Preview(); }
  QImage Picture() const { return pane().Picture() ? pane().Picture()->image : QImage(); }
};

// The settings the demo prints: three lines, the first logo, an EAN-13 barcode.
void UseDemoSettings(qw77::WindowState& s) {
  s.SetText("TxtLines", "3");
  s.SetValue("CheckGraphic", 1);
  s.SetValue("ChkBarCode", 1);
  s.SetText("TxtBarCode", "590123412345");
}

struct SettingChange {
  const char* name;
  std::function<void(qw77::WindowState&)> before;
  std::function<void(qw77::WindowState&)> change;
};

const SettingChange kChanges[] = {
    {"x scale", [](auto&) {}, [](auto& s) { s.SetText("TxtXScale", "3"); }},
    {"logo option", [](auto& s) { s.SetValue("CheckGraphic", 1); },
     [](auto& s) { s.Select("Option1", 2); }},
    {"barcode field",
     [](auto& s) {
       s.SetValue("ChkBarCode", 1);
       s.SetText("TxtBarCode", "590123412345");
     },
     [](auto& s) { s.SetText("TxtBarCode", "400638133393"); }},
    {"paper width", [](auto&) {}, [](auto& s) { s.Select("OptMech80"); }},
    {"three settings at once: one redraw", [](auto&) {},
     [](auto& s) {
       s.SetText("TxtLines", "4");
       s.SetText("TxtSample", "Other text");
       s.SetValue("ChkBarCode", 1);
     }},
};

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void aTicketSettingRedrawsTheMiniatureOnce_data();
  void aTicketSettingRedrawsTheMiniatureOnce();
  void settingsThatMakeNoTicketShowTheComposersSentence_data();
  void settingsThatMakeNoTicketShowTheComposersSentence();
  void previewLeavesFocusAndTabOrderAlone();
  void demoTicketAtOneToOneIsThePrintersPng();
  void windowTellsSizeAndWireTime_data();
  void windowTellsSizeAndWireTime();
  void savedFilesAreWholeOrSayWhyNot();
};

void PreviewTest::aTicketSettingRedrawsTheMiniatureOnce_data() {
  QTest::addColumn<int>("row");
  for (int i = 0; i < static_cast<int>(std::size(kChanges)); ++i) {
    QTest::newRow(kChanges[i].name) << i;
  }
}

void PreviewTest::aTicketSettingRedrawsTheMiniatureOnce() {
  QFETCH(int, row);
  PreviewRig rig;
  QVERIFY(rig.OpenWithLogos());
  kChanges[row].before(rig.state());
  Settle();
  const QImage before = rig.Picture();
  QVERIFY2(!before.isNull(), qPrintable(rig.pane().Message()));
  const int redraws = rig.pane().Redraws();

  kChanges[row].change(rig.state());
  QCOMPARE(rig.pane().Redraws(), redraws);  // nothing drawn while the change is under way
  Settle();
  QCOMPARE(rig.pane().Redraws(), redraws + 1);
  QVERIFY(!rig.Picture().isNull());
  QVERIFY(rig.Picture() != before);
}

void PreviewTest::settingsThatMakeNoTicketShowTheComposersSentence_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("logo_dir");
  QTest::newRow("x scale not a number") << "TxtXScale"
                                        << "x" << QString::fromStdString(qw77::test::BinDir());
  QTest::newRow("no logo file") << ""
                                << ""
                                << "/nonexistent-qw77";
}

void PreviewTest::settingsThatMakeNoTicketShowTheComposersSentence() {
  QFETCH(QString, field);
  QFETCH(QString, text);
  QFETCH(QString, logo_dir);
  PreviewRig rig;
  QVERIFY(rig.OpenWithLogos());
  QVERIFY(rig.pane().Picture().has_value());
  rig.system.program_directory = logo_dir.toStdString();
  if (field.isEmpty()) {
    rig.state().SetValue("CheckGraphic", 1);
  } else {
    rig.state().SetText(field.toStdString(), text.toStdString());
  }
  Settle();
  QVERIFY(!rig.pane().Picture().has_value());
  QVERIFY2(rig.pane().Message().startsWith("The sample ticket cannot be printed. "),
           qPrintable(rig.pane().Message()));
  QCOMPARE(rig.pane().Message().toStdString(),
           qw77::ComposeWindowTicket(*rig.frm).status().message());
}

void PreviewTest::previewLeavesFocusAndTabOrderAlone() {
  PreviewRig rig;
  QVERIFY(rig.OpenWithLogos());
  QCOMPARE(rig.pane().focusPolicy(), Qt::NoFocus);

  // Clicking the miniature opens the 1:1 window; no control's focus handler runs (a baud
  // option's would fill in the baud rate) and the record's focus stays on Exit.
  rig.Click("OptCOM1");
  QCOMPARE(rig.state().Focused(), std::string("OptCOM1"));
  QTest::mouseClick(&rig.pane(), Qt::LeftButton);
  QVERIFY(rig.pane().Window() != nullptr && rig.pane().Window()->isVisible());
  QCOMPARE(rig.state().Focused(), std::string("OptCOM1"));
  QCOMPARE(rig.frm->SerialBaud, std::string());
  rig.pane().Window()->close();
  rig.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
  QCOMPARE(rig.FocusedKey(), std::string("OptCOM1"));

  // F5 in the barcode field under CODE-39 reaches no key rule: nothing is typed.
  rig.state().SetListIndex("Combo1", qw77::kBarcodeCode39);
  rig.state().SetValue("ChkBarCode", 1);
  rig.W("TxtBarCode")->setFocus(Qt::TabFocusReason);
  QCOMPARE(rig.state().Focused(), std::string("TxtBarCode"));
  const std::string typed = rig.state().Text("TxtBarCode");
  rig.pane().Window()->hide();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
  QVERIFY(rig.pane().Window()->isVisible());
  QCOMPARE(rig.state().Text("TxtBarCode"), typed);
  rig.pane().Window()->close();
  rig.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));

  // Tab still visits exactly the controls of the record's order, from Exit round again.
  rig.W("CmdExit")->setFocus(Qt::TabFocusReason);
  std::vector<std::string> expected;
  for (const std::string& key : FrmMenu::TabOrder()) {
    const auto paren = key.find('(');
    const qw77::Control& c = rig.state().Get(
        key.substr(0, paren), paren == std::string::npos ? -1 : std::stoi(key.substr(paren + 1)));
    if (!c.enabled || (c.kind == ControlKind::kOptionButton && !c.selected)) continue;
    expected.push_back(key);
  }
  std::vector<std::string> visited{rig.FocusedKey()};
  for (std::size_t i = 1; i <= expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(rig.FocusedKey());
  }
  expected.push_back("CmdExit");
  QCOMPARE(visited, expected);
}

void PreviewTest::demoTicketAtOneToOneIsThePrintersPng() {
  PreviewRig rig;
  QVERIFY(rig.OpenWithLogos());
  UseDemoSettings(rig.state());
  rig.pane().OpenWindow();
  const QImage preview = rig.pane().Window()->Image();
  QVERIFY2(!preview.isNull(), qPrintable(rig.pane().Message()));
  auto bytes = qw77::ComposeWindowTicket(*rig.frm);
  QVERIFY(bytes.ok());

  // The same bytes over the printer's pseudo-terminal, as the application sends them.
  QTemporaryDir dir;
  auto fonts = qw77::vprinter::Fonts::LoadDefault();
  QVERIFY(fonts.ok());
  qw77::vprinter::StatusModel status;
  qw77::vprinter::PrinterOptions options;
  options.out_dir = dir.path().toStdString();
  qw77::vprinter::Printer printer(*fonts, status, options);
  qw77::vprinter::Server server(printer);
  const qw77::Status opened = server.OpenSerial({"", 0, false});
  QVERIFY2(opened.ok(), opened.message().c_str());
  const int fd = open(server.serial()->device_path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  QVERIFY(fd >= 0);
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  tcsetattr(fd, TCSANOW, &tio);
  std::size_t written = 0;
  for (int round = 0;
       round < 2000 && server.serial()->bytes_received() < static_cast<long>(bytes->size());
       ++round) {
    if (written < bytes->size()) {
      const ssize_t n = write(fd, bytes->data() + written, bytes->size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
    }
    server.RunOnce(10000);
  }
  QCOMPARE(server.serial()->bytes_received(), static_cast<long>(bytes->size()));
  printer.Shutdown();  // the end of the session ends the ticket, as the idle time would
  close(fd);
  QCOMPARE(printer.ticket_files().size(), std::size_t{1});

  const QImage png(QString::fromStdString(printer.ticket_files().front()));
  QVERIFY(!png.isNull());
  QCOMPARE(preview.size(), png.size());
  QCOMPARE(preview.convertToFormat(QImage::Format_Grayscale8),
           png.convertToFormat(QImage::Format_Grayscale8));
}

void PreviewTest::windowTellsSizeAndWireTime_data() {
  QTest::addColumn<QString>("baud");
  QTest::addColumn<QString>("wire");
  QTest::newRow("no baud rate yet") << ""
                                    << "—";
  QTest::newRow("9600") << "9600"
                        << "s at 9600 baud";
  QTest::newRow("not a number") << "96x"
                                << "—";
}

void PreviewTest::windowTellsSizeAndWireTime() {
  QFETCH(QString, baud);
  QFETCH(QString, wire);
  PreviewRig rig;
  QVERIFY(rig.OpenWithLogos());
  rig.frm->SerialBaud = baud.toStdString();
  rig.pane().OpenWindow();
  auto bytes = qw77::ComposeWindowTicket(*rig.frm);
  QVERIFY(bytes.ok());
  const QString facts = rig.pane().Window()->Facts();
  QVERIFY2(facts.startsWith(QString::number(bytes->size()) + " bytes"), qPrintable(facts));
  QVERIFY2(facts.endsWith(wire), qPrintable(facts));
  if (!baud.isEmpty() && wire != "—") {
    const double seconds = static_cast<double>(bytes->size()) * 10 / baud.toInt();
    QVERIFY2(facts.contains(QString::number(seconds, 'f', 2) + " s"), qPrintable(facts));
  }
}

void PreviewTest::savedFilesAreWholeOrSayWhyNot() {
  PreviewRig rig;
  QVERIFY(rig.OpenWithLogos());
  rig.pane().OpenWindow();
  auto& window = *rig.pane().Window();
  QTemporaryDir dir;
  const QString png = dir.filePath("t.png");
  const QString raw = dir.filePath("t.bin");
  QVERIFY(window.SavePng(png).ok());
  QCOMPARE(QImage(png).convertToFormat(QImage::Format_Grayscale8), window.Image());
  QVERIFY(window.SaveBytes(raw).ok());
  QFile file(raw);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  auto bytes = qw77::ComposeWindowTicket(*rig.frm);
  QCOMPARE(saved, QByteArray(reinterpret_cast<const char*>(bytes->data()),
                             static_cast<qsizetype>(bytes->size())));

  // A folder that is not there: a failure that says so, and no file anywhere.
  const QString nowhere = dir.filePath("missing/t.png");
  const qw77::Status failed = window.SavePng(nowhere);
  QVERIFY(!failed.ok());
  QVERIFY(!failed.message().empty());
  QVERIFY(!QFile::exists(nowhere));
  QVERIFY(window.findChild<QLabel*>("Outcome")->text().contains("could not be saved"));
}

QTEST_MAIN(PreviewTest)
#include "tst_preview.moc"
