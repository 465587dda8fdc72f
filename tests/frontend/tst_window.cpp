// The main window as the operator meets it: what it shows, where Tab goes, what clicks,
// Tab and the scroll bars do to the record, and what typing cannot do.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "tests/frontend/GuiRig.h"

using qw77::ControlKind;
using qw77::FrmMenu;
using qw77::testing::GuiRig;

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void drawsEveryControlFromTheRecord();
  void panelsAndPictures();
  void tabVisitsTheControlsInOrder();
  void focusHandlersRunOnClickAndTabButNotOnRestore();
  void clickOnAnOptionsEmptyLabelSpaceSelectsIt();
  void scrollBarStepsWriteTheTextBox_data();
  void scrollBarStepsWriteTheTextBox();
  void draggingTheThumbWritesOnlyOnRelease();
  void typingIntoAParameterBoxChangesNothing_data();
  void typingIntoAParameterBoxChangesNothing();
  void typingIntoTheSampleTextReachesTheRecord();
  void controlsThatTakeNoTypingStillTakeTheirKeys();
  void disabledControlKeepsItsFocusForLater();
};

void WindowTest::drawsEveryControlFromTheRecord() {
  GuiRig rig;
  QVERIFY(rig.Open());
  for (const qw77::Control& c : rig.state().Controls()) {
    QWidget* w = rig.W(c.Key());
    if (c.kind == ControlKind::kSerialControl) {
      QVERIFY(w == nullptr);
      continue;
    }
    QVERIFY2(w != nullptr, c.Key().c_str());
    const QString caption = QString::fromStdString(c.caption);
    QCOMPARE(w->toolTip(), QString::fromStdString(c.tool_tip));
    QCOMPARE(w->isEnabled(), c.enabled);
    if (auto* box = qobject_cast<QGroupBox*>(w)) QCOMPARE(box->title(), caption);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) QCOMPARE(button->text(), caption);
    if (auto* option = qobject_cast<QRadioButton*>(w)) QCOMPARE(option->isChecked(), c.selected);
    if (auto* check = qobject_cast<QCheckBox*>(w)) QCOMPARE(check->isChecked(), c.value != 0);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
      QCOMPARE(edit->text(), QString::fromStdString(c.text));
    if (auto* bar = qobject_cast<QScrollBar*>(w)) {
      QCOMPARE(bar->minimum(), c.minimum);
      QCOMPARE(bar->maximum(), c.maximum);
      QCOMPARE(bar->value(), c.value);
    }
  }
  // A record change reaches the widget.
  rig.state().SetCaption("LblLeftMargin", "changed");
  QCOMPARE(rig.As<QLabel>("LblLeftMargin")->text(), QStringLiteral("changed"));
  rig.state().SetValue("ChkCutter", 1);
  QVERIFY(rig.As<QCheckBox>("ChkCutter")->isChecked());
}

void WindowTest::panelsAndPictures() {
  GuiRig rig;
  QVERIFY(rig.Open());
  QCOMPARE(rig.window->windowTitle(), QStringLiteral("RX's and MQ's Testing Software"));
  for (const char* panel : {"FrmConfig", "FrmSample", "FrmStatus"}) {
    QVERIFY(rig.W(panel)->font().bold());
    QCOMPARE(rig.W(panel)->font().pointSize(), 12);
  }
  QVERIFY(!rig.W("FrmMechanism")->font().bold());
  QVERIFY(!rig.W("OptMech60")->font().bold());
  QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());  // fixed size
  QVERIFY(!rig.window->windowIcon().isNull());
  const QPixmap logo = rig.As<QLabel>("ImgLogo")->pixmap();
  QCOMPARE(logo.size(), QSize(288, 82));
  QCOMPARE(rig.W("ImgLogo")->size(), QSize(288, 82));
}

void WindowTest::tabVisitsTheControlsInOrder() {
  GuiRig rig;
  QVERIFY(rig.Open());
  QCOMPARE(rig.FocusedKey(), std::string("CmdExit"));
  QCOMPARE(rig.state().Focused(), std::string("CmdExit"));

  // Tab stops: every control of the order but disabled ones and unselected options.
  std::vector<std::string> expected;
  for (const std::string& key : FrmMenu::TabOrder()) {
    const qw77::Control& c = rig.state().Get(
        key.substr(0, key.find('(')),
        key.find('(') == std::string::npos ? -1 : std::stoi(key.substr(key.find('(') + 1)));
    if (!c.enabled) continue;
    if (c.kind == ControlKind::kOptionButton && !c.selected) continue;
    expected.push_back(key);
  }
  std::vector<std::string> visited{rig.FocusedKey()};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(rig.FocusedKey());
  }
  QCOMPARE(visited, expected);
  // Past the last control Tab comes round to the first.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(rig.FocusedKey(), std::string("CmdExit"));
  // Shift+Tab goes back.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  QCOMPARE(rig.FocusedKey(), expected.back());
}

void WindowTest::focusHandlersRunOnClickAndTabButNotOnRestore() {
  GuiRig rig;
  QVERIFY(rig.Open());
  // No baud rate until a baud option has had the focus. (The first focus, on CmdExit, has
  // no handler to run; windowIsDisabledWhileTheShellRuns checks a program-made focus move.)
  QCOMPARE(rig.frm->SerialBaud, std::string());

  rig.Click("OptMech80");
  QCOMPARE(rig.state().Caption("LblLeftMargin"), std::string("Left Margin (1 to 576)"));
  QCOMPARE(rig.state().ScrollMaximum("HscrLeftMgn"), 576);
  QCOMPARE(rig.As<QScrollBar>("HscrLeftMgn")->maximum(), 576);

  rig.Click("OptLPT2");
  QVERIFY(!rig.W("Opt9600")->isEnabled());
  QVERIFY(!rig.W("OptOne")->isEnabled());
  rig.Click("OptCOM1");
  QVERIFY(rig.W("Opt9600")->isEnabled());

  // Tab into the baud and parity groups: their selected options take the values.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(rig.FocusedKey(), std::string("Opt9600"));
  QCOMPARE(rig.frm->SerialBaud, std::string("9600"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(rig.frm->SerialParity, std::string("N"));

  // Arrow keys move within a group: select and focus, so the handler runs.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  QCOMPARE(rig.FocusedKey(), std::string("OptODD"));
  QVERIFY(rig.state().Selected("OptODD"));
  QCOMPARE(rig.frm->SerialParity, std::string("O"));

  rig.Click("Opt19200");
  QCOMPARE(rig.frm->SerialBaud, std::string("19200"));
  rig.Click("CmdRestore");
  // The program's own selections: shown, but no handler ran.
  QVERIFY(rig.As<QRadioButton>("Opt9600")->isChecked());
  QVERIFY(rig.As<QRadioButton>("OptMech60")->isChecked());
  QCOMPARE(rig.frm->SerialBaud, std::string("19200"));
  QCOMPARE(rig.frm->SerialParity, std::string("O"));
  QCOMPARE(rig.state().Caption("LblLeftMargin"), std::string("Left Margin (1 to 576)"));
  QCOMPARE(rig.FocusedKey(), std::string("CmdRestore"));
}

void WindowTest::clickOnAnOptionsEmptyLabelSpaceSelectsIt() {
  GuiRig rig;
  QVERIFY(rig.Open());
  QWidget* option = rig.W("OptFontB");
  QVERIFY(option->width() > option->sizeHint().width());
  QTest::mouseClick(option, Qt::LeftButton, Qt::NoModifier,
                    QPoint(option->width() - 3, option->height() / 2));
  QVERIFY(rig.state().Selected("OptFontB"));
  QVERIFY(!rig.state().Selected("OptFontA"));
}

void WindowTest::scrollBarStepsWriteTheTextBox_data() {
  QTest::addColumn<QString>("bar");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("presses");
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("text");
  QTest::newRow("left margin one step right")
      << "HscrLeftMgn" << int(Qt::Key_Right) << 1 << "TxtLeftMgn"
      << "2";
  QTest::newRow("left margin one step left")
      << "HscrLeftMgn" << int(Qt::Key_Left) << 1 << "TxtLeftMgn"
      << "0";
  QTest::newRow("page step is one too") << "HscrLinesp" << int(Qt::Key_PageUp) << 3 << "TxtLinesp"
                                        << "4";
  QTest::newRow("density to its minimum") << "HscrDensity" << int(Qt::Key_Home) << 1 << "TxtDensity"
                                          << "-10";
  QTest::newRow("x-scale stops at 8") << "HscrXscale" << int(Qt::Key_Right) << 12 << "TxtXScale"
                                      << "8";
}

void WindowTest::scrollBarStepsWriteTheTextBox() {
  QFETCH(QString, bar);
  QFETCH(int, key);
  QFETCH(int, presses);
  QFETCH(QString, box);
  QFETCH(QString, text);
  GuiRig rig;
  QVERIFY(rig.Open());
  // Tab focus: a click would itself move the bar.
  rig.W(bar.toStdString())->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < presses; ++i) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
  }
  QCOMPARE(QString::fromStdString(rig.state().Text(box.toStdString())), text);
  QCOMPARE(rig.As<QLineEdit>(box.toStdString())->text(), text);
}

void WindowTest::draggingTheThumbWritesOnlyOnRelease() {
  GuiRig rig;
  QVERIFY(rig.Open());
  auto* bar = rig.As<QScrollBar>("HscrLines");
  bar->setSliderDown(true);
  bar->setSliderPosition(20);
  QCOMPARE(rig.state().Text("TxtLines"), std::string("1"));
  bar->setSliderDown(false);
  QCOMPARE(rig.state().Text("TxtLines"), std::string("20"));

  // A click on the right arrow steps by one.
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                    QPoint(bar->width() - 4, bar->height() / 2));
  QCOMPARE(rig.state().Text("TxtLines"), std::string("21"));
}

void WindowTest::typingIntoAParameterBoxChangesNothing_data() {
  QTest::addColumn<QString>("box");
  QTest::newRow("x-scale") << "TxtXScale";
  QTest::newRow("left margin") << "TxtLeftMgn";
}

void WindowTest::typingIntoAParameterBoxChangesNothing() {
  QFETCH(QString, box);
  GuiRig rig;
  QVERIFY(rig.Open());
  const std::string key = box.toStdString();
  const std::string before = rig.state().Text(key);
  rig.Click(key);
  QCOMPARE(rig.FocusedKey(), key);
  // Erasing first: typed after it, a character the box took would not be erased again
  // (X-Scale holds two characters, so "5" then Backspace would give back its "1").
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("57x-"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(rig.state().Text(key), before);
  QCOMPARE(rig.As<QLineEdit>(key)->text(), QString::fromStdString(before));
}

void WindowTest::typingIntoTheSampleTextReachesTheRecord() {
  GuiRig rig;
  QVERIFY(rig.Open());
  rig.Click("TxtSample");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" 42!"));
  QCOMPARE(rig.state().Text("TxtSample"), std::string("ZN740 sample ticket 42!"));
  // Its length limit holds.
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abcdefgh"));
  QCOMPARE(rig.state().Text("TxtSample").size(), std::size_t{25});
}

void WindowTest::controlsThatTakeNoTypingStillTakeTheirKeys() {
  GuiRig rig;
  QVERIFY(rig.Open());
  rig.W("ChkBarCode")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QCOMPARE(rig.state().Value("ChkBarCode"), 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QCOMPARE(rig.state().Value("ChkBarCode"), 0);
  // The combo's list answers the arrow keys; leaving it applies the type's limit.
  rig.W("Combo1")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QCOMPARE(rig.state().ListIndex("Combo1"), 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(rig.state().MaxLength("TxtBarCode"), 7);
}

void WindowTest::disabledControlKeepsItsFocusForLater() {
  GuiRig rig;
  QVERIFY(rig.Open());
  rig.W("CmdCheck")->setFocus(Qt::MouseFocusReason);
  QCOMPARE(rig.FocusedKey(), std::string("CmdCheck"));
  // A job disables its button; Qt would hand the focus on to the next control.
  rig.state().SetEnabled("CmdCheck", false);
  QCOMPARE(rig.state().Focused(), std::string("CmdCheck"));
  QCOMPARE(rig.FocusedKey(), std::string());
  rig.state().SetEnabled("CmdCheck", true);
  QCOMPARE(rig.FocusedKey(), std::string("CmdCheck"));
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
