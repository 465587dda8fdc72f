// The window services over Qt (message boxes, About, disabling the window, closing and
// ending) and the mapping of Qt key events to the handlers' key codes.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "frontend/Handlers.h"
#include "frontend/KeyMapping.h"
#include "link/ShellRunner.h"
#include "tests/frontend/GuiRig.h"

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
  void modifierMaskOnTheModifiersOwnKeys();
  void messageBoxesShowTheirTitleTextAndIcon_data();
  void messageBoxesShowTheirTitleTextAndIcon();
  void refusedPortAccessTellsAndNeverOpens();
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
  QTest::newRow("a") << int(Qt::Key_A) << none << 0 << 65;
  QTest::newRow("Shift+z") << int(Qt::Key_Z) << shift << 0 << 90;
  QTest::newRow("main-row 4") << int(Qt::Key_4) << none << 0 << 52;
  QTest::newRow("Shift+4 as $") << int(Qt::Key_Dollar) << shift << 0 << 52;
  QTest::newRow("Shift+0 as )") << int(Qt::Key_ParenRight) << shift << 0 << 48;
  QTest::newRow("X11 key 13 whatever it typed") << int(Qt::Key_section) << shift << 13 << 52;
  QTest::newRow("X11 key 19 is 0") << int(Qt::Key_Agrave) << none << 19 << 48;
  QTest::newRow("keypad 0") << int(Qt::Key_0) << keypad << 0 << 96;
  QTest::newRow("keypad 9 ignores the scan code") << int(Qt::Key_9) << keypad << 81 << 105;
  QTest::newRow("keypad +") << int(Qt::Key_Plus) << keypad << 0 << 107;
  QTest::newRow("space") << int(Qt::Key_Space) << none << 0 << 32;
  QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << 0 << 8;
  QTest::newRow("delete") << int(Qt::Key_Delete) << none << 0 << 46;
  QTest::newRow("shift") << int(Qt::Key_Shift) << shift << 0 << 16;
  QTest::newRow("slash") << int(Qt::Key_Slash) << none << 0 << 191;
  QTest::newRow("F5") << int(Qt::Key_F5) << none << 0 << 116;
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

void ServicesTest::modifierMaskOnTheModifiersOwnKeys() {
  using fe::ShiftMaskOf;
  QCOMPARE(ShiftMaskOf(Qt::Key_Shift, Qt::NoModifier, false), fe::kShiftBit);
  QCOMPARE(ShiftMaskOf(Qt::Key_Shift, Qt::ShiftModifier, true), std::int16_t{0});
  QCOMPARE(ShiftMaskOf(Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier, true),
           fe::kShiftBit);
  QCOMPARE(ShiftMaskOf(Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, false),
           std::int16_t(fe::kCtrlBit | fe::kAltBit));
  QCOMPARE(fe::KeyAsciiOf(Qt::Key_Delete, QStringLiteral("\x7f")), std::optional<std::int16_t>());
  QCOMPARE(fe::KeyAsciiOf(Qt::Key_Backspace, QString()), std::optional<std::int16_t>(8));
  QCOMPARE(fe::KeyAsciiOf(Qt::Key_Dollar, QStringLiteral("$")), std::optional<std::int16_t>(36));
}

void ServicesTest::messageBoxesShowTheirTitleTextAndIcon_data() {
  QTest::addColumn<bool>("critical");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("shown_title");
  QTest::newRow("application title") << false << QString() << "QW77";
  QTest::newRow("hardware error") << true << "ZOZozoDozi32"
                                  << "ZOZozoDozi32";
}

void ServicesTest::messageBoxesShowTheirTitleTextAndIcon() {
  QFETCH(bool, critical);
  QFETCH(QString, title);
  QFETCH(QString, shown_title);
  GuiRig rig;
  QVERIFY(rig.Open());
  ModalWatcher watcher([](QWidget* m) { CloseWithKey(m, Qt::Key_Return); });
  const auto& seen = watcher.seen;
  const std::string text = "Text with <b>no</b> markup";
  rig.window_services.MsgBox(text, critical ? MessageIcon::kCritical : MessageIcon::kNone,
                             title.toStdString());
  QCOMPARE(seen.class_name, QStringLiteral("QMessageBox"));
  QCOMPARE(seen.title, shown_title);
  QCOMPARE(seen.text, QString::fromStdString(text));
  QCOMPARE(seen.icon, int(critical ? QMessageBox::Critical : QMessageBox::NoIcon));
  QVERIFY(seen.application_modal);
  QCOMPARE(seen.owner.data(), static_cast<QWidget*>(rig.window.get()));
}

void ServicesTest::refusedPortAccessTellsAndNeverOpens() {
  GuiRig rig;
  rig.ports.initialize_ok = false;
  ModalWatcher watcher([](QWidget* m) { CloseWithKey(m, Qt::Key_Return); });
  const auto& seen = watcher.seen;
  QVERIFY(!fe::RunFormLoad(*rig.frm));
  QCOMPARE(seen.text, QStringLiteral("Problemas de acceso al hardware"));
  QCOMPARE(seen.title, QStringLiteral("ZOZozoDozi32"));
  QCOMPARE(seen.icon, int(QMessageBox::Critical));
  QVERIFY(!rig.window->isVisible());
  QCOMPARE(rig.ports.shutdowns, 1);  // closing the window unloaded it
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
  rig.ports.refuse_all = refuse_access;
  rig.Click("OptLPT1");
  ModalWatcher watcher([](QWidget* m) { CloseWithKey(m, Qt::Key_Return); });
  rig.Click("CmdCheck");
  QCOMPARE(watcher.seen.text, text);
  QCOMPARE(watcher.seen.title, title);
  QCOMPARE(watcher.seen.icon, icon);
  QCOMPARE(rig.window->isVisible(), window_stays);
  // A refused access closes the window once the job has ended: unloaded exactly once.
  QCOMPARE(rig.ports.shutdowns, window_stays ? 0 : 1);
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
  rig.W("CmdPrint")->setFocus(Qt::TabFocusReason);
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
  QCOMPARE(rig.FocusedKey(), std::string("CmdPrint"));  // the focus came back
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
    QCOMPARE(rig.ports.shutdowns, 0);
  }
  {
    GuiRig rig;
    QVERIFY(rig.Open());
    QVERIFY(rig.window->close());
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.ports.shutdowns, 1);
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
    shutdowns_meanwhile = rig.ports.shutdowns;
    visible_meanwhile = rig.window->isVisible();
    m->close();
  });
  rig.Click("CommandAbout");
  QCOMPARE(shutdowns_meanwhile, 0);
  QVERIFY(visible_meanwhile);
  QVERIFY(!rig.window->isVisible());
  QCOMPARE(rig.ports.shutdowns, 1);
}

QTEST_MAIN(ServicesTest)
#include "tst_services.moc"
