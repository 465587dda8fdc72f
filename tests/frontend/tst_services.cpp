// The window services over Qt (message boxes, About, disabling the window, closing and
// ending) and the mapping of Qt key events to the handlers' key codes.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "frontend/Handlers.h"
#include "frontend/KeyMapping.h"
#include "jobs/ShellAndWait.h"
#include "tests/frontend/GuiRig.h"
#include "transport/ShellRunner.h"

using qw77::MessageIcon;
using qw77::testing::GuiRig;
using qw77::testing::ModalWatcher;
namespace fe = qw77::frontend;

namespace {

void CloseWithKey(QWidget* modal, Qt::Key key) {
  QTest::keyClick(modal, key);
}

}  // namespace

class ServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void keyCodes_data();
  void keyCodes();
  void refusedParallelLinkTellsAndNeverOpens();
  void jobMessagesThroughTheWindow_data();
  void jobMessagesThroughTheWindow();
  void aboutOpensModallyAndCloses_data();
  void aboutOpensModallyAndCloses();
  void windowIsDisabledWhileTheShellRuns();
  void exitEndsWithoutUnloadAndCloseUnloadsOnce();
  void closingWaitsForTheRunningHandler();
};

void ServicesTest::keyCodes_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<int>("scan");
  QTest::addColumn<int>("code");
  const int none = Qt::NoModifier;
  const int shift = Qt::ShiftModifier;
  const int keypad = Qt::KeypadModifier;
  QTest::newRow("Shift+z") << int(Qt::Key_Z) << shift << 0 << 90;
  QTest::newRow("Shift+4 as $") << int(Qt::Key_Dollar) << shift << 0 << 52;
  QTest::newRow("X11 key 13 whatever it typed") << int(Qt::Key_section) << shift << 13 << 52;
  QTest::newRow("X11 key 19 is 0") << int(Qt::Key_Agrave) << none << 19 << 48;
  QTest::newRow("keypad 0") << int(Qt::Key_0) << keypad << 0 << 96;
  QTest::newRow("keypad 9 ignores the scan code") << int(Qt::Key_9) << keypad << 81 << 105;
  QTest::newRow("unknown still names a key")
      << int(Qt::Key_Eacute) << none << 0 << int(fe::kUnknownKeyCode);
}

void ServicesTest::keyCodes() {
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(int, scan);
  QFETCH(int, code);
  QCOMPARE(int(fe::KeyCodeOf(key, Qt::KeyboardModifiers(modifiers), static_cast<quint32>(scan))),
           code);
}

void ServicesTest::refusedParallelLinkTellsAndNeverOpens() {
  GuiRig rig;
  rig.lpt1.open_result = qw77::Status(qw77::ErrorCode::kPermission, "cannot open /dev/parport0");
  ModalWatcher watcher([](QWidget* m) { CloseWithKey(m, Qt::Key_Return); });
  const auto& seen = watcher.seen;
  QVERIFY(!fe::RunFormLoad(*rig.frm));
  QCOMPARE(seen.text, QStringLiteral("Problemas de acceso al hardware"));
  QCOMPARE(seen.title, QStringLiteral("ZOZozoDozi32"));
  QCOMPARE(seen.icon, int(QMessageBox::Critical));
  // The refusal is what keeps main() from showing the window; closing it unloaded it.
  QCOMPARE(rig.lpt1.closes, 1);
}

void ServicesTest::jobMessagesThroughTheWindow_data() {
  QTest::addColumn<bool>("refuse_access");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("title");
  QTest::addColumn<int>("icon");
  QTest::addColumn<bool>("window_stays");
  QTest::newRow("no parallel port") << false << "ERROR on parallel PORT selection"
                                    << "QW77" << int(QMessageBox::NoIcon) << true;
  QTest::newRow("refused hardware access") << true << "Hardware port error"
                                           << "ZOZozoDozi32" << int(QMessageBox::Critical) << false;
}

void ServicesTest::jobMessagesThroughTheWindow() {
  QFETCH(bool, refuse_access);
  QFETCH(QString, text);
  QFETCH(QString, title);
  QFETCH(int, icon);
  QFETCH(bool, window_stays);
  GuiRig rig;
  QVERIFY(rig.Open());
  // A port that is there and refuses every access.
  rig.lpt1.present = refuse_access;
  rig.lpt1.refuse_all = refuse_access;
  rig.Click("OptLPT1");
  ModalWatcher watcher([](QWidget* m) { CloseWithKey(m, Qt::Key_Return); });
  rig.Click("CmdCheck");
  QCOMPARE(watcher.seen.text, text);
  QCOMPARE(watcher.seen.title, title);
  QCOMPARE(watcher.seen.icon, icon);
  QCOMPARE(rig.window->isVisible(), window_stays);
  // A refused access closes the window once the job has ended: unloaded exactly once.
  QCOMPARE(rig.lpt1.closes, window_stays ? 0 : 1);
}

void ServicesTest::aboutOpensModallyAndCloses_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Enter") << "enter";
  QTest::newRow("Escape") << "escape";
  QTest::newRow("Accept") << "click";
  QTest::newRow("close box") << "close";
}

void ServicesTest::aboutOpensModallyAndCloses() {
  QFETCH(QString, how);
  GuiRig rig;
  QVERIFY(rig.Open());
  for (int opening = 0; opening < 2; ++opening) {  // the same both times
    QString title, version, description, button;
    QSize picture;
    ModalWatcher watcher([&](QWidget* m) {
      title = m->findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
      version = m->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
      description = m->findChild<QLabel*>(QStringLiteral("lblDescription"))->text();
      picture = m->findChild<QLabel*>(QStringLiteral("Picture1"))->pixmap().size();
      auto* ok = m->findChild<QPushButton*>(QStringLiteral("cmdOK"));
      button = ok->text();
      if (how == QLatin1String("enter")) CloseWithKey(m, Qt::Key_Return);
      if (how == QLatin1String("escape")) CloseWithKey(m, Qt::Key_Escape);
      if (how == QLatin1String("click")) QTest::mouseClick(ok, Qt::LeftButton);
      if (how == QLatin1String("close")) m->close();
    });
    rig.Click("CommandAbout");
    const auto& seen = watcher.seen;
    QCOMPARE(seen.class_name, QStringLiteral("qw77::frontend::AboutDialog"));
    QVERIFY(seen.application_modal);
    QCOMPARE(seen.title, QStringLiteral("About "));
    QCOMPARE(title, QStringLiteral("QW77"));
    QCOMPARE(version, QStringLiteral("Versión 2.0.0"));
    QCOMPARE(description,
             QStringLiteral("This program show the abilities of RX's and MQ's  printers."));
    QCOMPARE(button, QStringLiteral("Accept"));
    QCOMPARE(picture, QSize(99, 82));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }
}

void ServicesTest::windowIsDisabledWhileTheShellRuns() {
  GuiRig rig;
  QVERIFY(rig.Open());
  // An option whose focus handler shows when it runs: it sets the baud rate.
  rig.Click("Opt19200");
  QCOMPARE(rig.frm->SerialBaud, std::string("19200"));
  rig.frm->SerialBaud.clear();
  rig.system.next_process.runs_for_queries = 3;
  int polls = 0;
  int disabled_polls = 0;
  rig.clock.on_sleep = [&] {
    ++polls;
    if (!rig.window->isEnabled()) ++disabled_polls;
  };
  QVERIFY(qw77::ShellAndWait(*rig.frm, qw77::kDeleteSpoolCommand, 0).ok());
  QVERIFY(polls > 0);
  QCOMPARE(disabled_polls, polls);
  QVERIFY(rig.window->isEnabled());
  // The focus came back without its focus handler running again.
  QCOMPARE(rig.FocusedKey(), std::string("Opt19200"));
  QCOMPARE(rig.frm->SerialBaud, std::string());
}

void ServicesTest::exitEndsWithoutUnloadAndCloseUnloadsOnce() {
  {
    GuiRig rig;
    QVERIFY(rig.Open());
    // Exit ends the event loop; a timer stops a loop that would not end.
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    stuck.start(5000);
    QTimer::singleShot(0, rig.window.get(), [&rig] { rig.Click("CmdExit"); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(rig.window->Ending());
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.lpt1.closes, 0);
  }
  {
    GuiRig rig;
    QVERIFY(rig.Open());
    QVERIFY(rig.window->close());
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.lpt1.closes, 1);
  }
}

void ServicesTest::closingWaitsForTheRunningHandler() {
  GuiRig rig;
  QVERIFY(rig.Open());
  int shutdowns_meanwhile = -1;
  bool visible_meanwhile = false;
  // A close request while a button's handler still runs (here: About is open) must not
  // unload the window under it; the window closes once the handler has returned.
  ModalWatcher watcher([&](QWidget* m) {
    rig.window->close();
    shutdowns_meanwhile = rig.lpt1.closes;
    visible_meanwhile = rig.window->isVisible();
    m->close();
  });
  rig.Click("CommandAbout");
  QCOMPARE(shutdowns_meanwhile, 0);
  QVERIFY(visible_meanwhile);
  QVERIFY(!rig.window->isVisible());
  QCOMPARE(rig.lpt1.closes, 1);
}

QTEST_MAIN(ServicesTest)
#include "tst_services.moc"
