// The barcode field typed into through the real window: each symbology's characters and
// length, keypad digits, Shift+4 released in either order, Backspace and Delete.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/frontend/GuiRig.h"

using qw77::testing::GuiRig;

namespace {

// Sends one key event to the focused control, with the character it types.
void Send(QTest::KeyAction action, Qt::Key key, const QString& text,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::sendKeyEvent(action, QApplication::focusWidget(), key, text, modifiers);
}

// The key under a shifted character on a US keyboard, and its unshifted character.
struct ShiftedKey {
  QChar shifted;
  Qt::Key key;
  QChar plain;
};
constexpr ShiftedKey kShifted[] = {
    {u'$', Qt::Key_Dollar, u'4'},     {u'%', Qt::Key_Percent, u'5'}, {u'*', Qt::Key_Asterisk, u'8'},
    {u'#', Qt::Key_NumberSign, u'3'}, {u'+', Qt::Key_Plus, u'='},    {u'A', Qt::Key_A, u'a'},
};

// Shift held, the key of `shifted` pressed; then both released, the key first when
// `key_first`, else Shift first (the key then comes up as its unshifted self).
void ShiftedStroke(QChar shifted, bool key_first) {
  for (const ShiftedKey& k : kShifted) {
    if (k.shifted != shifted) continue;
    const Qt::Key plain_key =
        k.plain.isLetter() ? k.key : static_cast<Qt::Key>(QTest::asciiToKey(k.plain.toLatin1()));
    Send(QTest::Press, Qt::Key_Shift, {}, Qt::ShiftModifier);
    Send(QTest::Press, k.key, QString(k.shifted), Qt::ShiftModifier);
    if (key_first) {
      Send(QTest::Release, k.key, QString(k.shifted), Qt::ShiftModifier);
      Send(QTest::Release, Qt::Key_Shift, {}, Qt::NoModifier);
    } else {
      Send(QTest::Release, Qt::Key_Shift, {}, Qt::NoModifier);
      Send(QTest::Release, plain_key, QString(k.plain), Qt::NoModifier);
    }
    return;
  }
  QFAIL("no such shifted key in the test's table");
}

// Plays a list of gestures separated by blanks: a single character is its key clicked
// alone, and so is each digit of a run of digits; KPn a keypad digit; BS, DEL Backspace
// and Delete; SP the space bar; S<c>K types the shifted character c releasing its key
// first, S<c>S releasing Shift first; START a click at the start of the field (the caret
// moves there).
void Play(GuiRig& rig, const QString& gestures) {
  for (const QString& g : gestures.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    QWidget* w = QApplication::focusWidget();
    if (g == QLatin1String("BS")) {
      QTest::keyClick(w, Qt::Key_Backspace);
    } else if (g == QLatin1String("DEL")) {
      QTest::keyClick(w, Qt::Key_Delete);
    } else if (g == QLatin1String("SP")) {
      QTest::keyClick(w, Qt::Key_Space);
    } else if (g.startsWith(QLatin1String("KP"))) {
      const int digit = g.at(2).digitValue();
      QTest::keyClick(w, static_cast<Qt::Key>(Qt::Key_0 + digit), Qt::KeypadModifier);
    } else if (g.size() == 3 && g.at(0) == u'S' && (g.at(2) == u'K' || g.at(2) == u'S')) {
      ShiftedStroke(g.at(1), g.at(2) == u'K');
    } else if (g == QLatin1String("START")) {
      QWidget* field = rig.W("TxtBarCode");
      QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(3, field->height() / 2));
    } else {
      for (QChar c : g) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
  }
}

// Chooses a barcode type the way the operator does and leaves the combo for the field.
void ChooseType(GuiRig& rig, int index) {
  rig.Click("Combo1");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  rig.Click("TxtBarCode");
}

}  // namespace

class BarcodeKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void fieldTakesOnlyWhatItsTypeAllows_data();
  void fieldTakesOnlyWhatItsTypeAllows();
  void leavingTheComboEmptiesTheFieldAndSetsTheLimit();
};

void BarcodeKeysTest::fieldTakesOnlyWhatItsTypeAllows_data() {
  QTest::addColumn<int>("type");
  QTest::addColumn<QString>("gestures");
  QTest::addColumn<QString>("text");

  // clang-format off
  QTest::newRow("EAN-13 digits")                   << 0 << "5901"             << "5901";
  QTest::newRow("EAN-13 keypad adds nothing")      << 0 << "KP1 KP2 3"        << "3";
  QTest::newRow("EAN-13 13th digit")               << 0 << "1234567890123"    << "123456789012";
  QTest::newRow("EAN-13 ignores Shift")            << 0 << "S$K"              << "4";
  QTest::newRow("EAN-13 BS, DEL, caret at start")  << 0 << "123 START BS DEL" << "1";
  QTest::newRow("CODE-39 letters as capitals")     << 1 << "a b SP 1 2"       << "AB 12";
  QTest::newRow("CODE-39 unshifted symbols")       << 1 << "/ . -"            << "/.-";
  QTest::newRow("CODE-39 shifted symbols")         << 1 << "S+K S%K"          << "+%";
  QTest::newRow("CODE-39 Shift+4, 4 up first")     << 1 << "S$K"              << "$";
  QTest::newRow("CODE-39 Shift+4, Shift up first") << 1 << "S$S"              << "$4";
  QTest::newRow("CODE-39 Shift+A adds nothing")    << 1 << "SAK"              << "";
  QTest::newRow("CODE-39 keypad adds nothing")     << 1 << "KP5 KP0"          << "";
  QTest::newRow("CODE-39 8th character")           << 1 << "A B C D E F G H"  << "ABCDEFG";
  QTest::newRow("CODE-39 no other symbols")        << 1 << "S*K S#K ,"        << "";
  QTest::newRow("ITF digits only")                 << 2 << "1 x 2 KP3"        << "12";
  QTest::newRow("CODE-128 digits only")            << 3 << "9 8 q KP7 S$S"    << "984";
  // clang-format on
}

void BarcodeKeysTest::fieldTakesOnlyWhatItsTypeAllows() {
  QFETCH(int, type);
  QFETCH(QString, gestures);
  QFETCH(QString, text);
  GuiRig rig;
  QVERIFY(rig.Open());
  ChooseType(rig, type);
  QCOMPARE(rig.state().ListIndex("Combo1"), type);
  QCOMPARE(rig.FocusedKey(), std::string("TxtBarCode"));
  Play(rig, gestures);
  QCOMPARE(QString::fromStdString(rig.state().Text("TxtBarCode")), text);
  auto* field = rig.As<QLineEdit>("TxtBarCode");
  QCOMPARE(field->text(), text);
  QCOMPARE(field->cursorPosition(), text.size());
}

void BarcodeKeysTest::leavingTheComboEmptiesTheFieldAndSetsTheLimit() {
  GuiRig rig;
  QVERIFY(rig.Open());
  QCOMPARE(rig.state().MaxLength("TxtBarCode"), 12);
  ChooseType(rig, 1);
  QCOMPARE(rig.state().MaxLength("TxtBarCode"), 7);
  Play(rig, "A 1");
  QCOMPARE(rig.state().Text("TxtBarCode"), std::string("A1"));
  // In and out of the combo without a change still empties the field.
  rig.Click("Combo1");
  QCOMPARE(rig.state().Text("TxtBarCode"), std::string("A1"));
  rig.Click("TxtBarCode");
  QCOMPARE(rig.state().Text("TxtBarCode"), std::string());
  QCOMPARE(rig.As<QLineEdit>("TxtBarCode")->text(), QString());
  // Typing into the combo's own field changes nothing.
  rig.Click("Combo1");
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("xyz"));
  QCOMPARE(rig.As<QComboBox>("Combo1")->currentText(), QStringLiteral("CODE-39"));
  QCOMPARE(rig.state().Text("Combo1"), std::string("CODE-39"));
}

QTEST_MAIN(BarcodeKeysTest)
#include "tst_barcode_keys.moc"
