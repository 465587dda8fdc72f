#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/BarcodeKeys.h"
#include "protocol/BarcodeBlock.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TestRig;

struct BlockCase {
  const char* name;
  int type;
  const char* text;
  Bytes expected;
};

class BarcodeBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(BarcodeBlock, WritesTheExampleBytes) {
  Bytes out = {0xEE};  // the block appends to what is there
  ASSERT_TRUE(AppendBarcodeBlock(out, GetParam().type, GetParam().text).ok());
  Bytes expected = {0xEE};
  expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
  EXPECT_EQ(out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BarcodeBlock,
    ::testing::Values(
        BlockCase{"Ean13",
                  0,
                  "590123412345",
                  {0x1D, 0x6B, 0x43, 0x0C, 0x35, 0x39, 0x30, 0x31, 0x32, 0x33, 0x34, 0x31, 0x32,
                   0x33, 0x34, 0x35}},
        BlockCase{"Code39", 1, "AB 12", {0x1D, 0x6B, 0x45, 0x05, 0x41, 0x42, 0x20, 0x31, 0x32}},
        BlockCase{"Itf", 2, "1234", {0x1D, 0x6B, 0x46, 0x04, 0x31, 0x32, 0x33, 0x34}},
        BlockCase{"ItfOddLengthSentAsIs", 2, "123", {0x1D, 0x6B, 0x46, 0x03, 0x31, 0x32, 0x33}},
        BlockCase{"Code128Even",
                  3,
                  "12345678",
                  {0x1D, 0x6B, 0x49, 0x06, 0x7B, 0x43, 0x0C, 0x22, 0x38, 0x4E}},
        BlockCase{"Code128Odd", 3, "123", {0x1D, 0x6B, 0x49, 0x04, 0x7B, 0x43, 0x01, 0x17}},
        BlockCase{"Code128OneDigit", 3, "7", {0x1D, 0x6B, 0x49, 0x03, 0x7B, 0x43, 0x07}},
        BlockCase{"Code128Empty", 3, "", {0x1D, 0x6B, 0x49, 0x02, 0x7B, 0x43}},
        BlockCase{"Ean13Empty", 0, "", {0x1D, 0x6B, 0x43, 0x00}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BarcodeBlockErrors, RefusesWhatCannotBeEncoded) {
  struct Case {
    int type;
    std::string text;
    const char* says;
  };
  const Case cases[] = {
      {-1, "1", "No barcode type is chosen in the BarCode list."},
      {4, "1", "No barcode type is chosen in the BarCode list."},
      {3, "12A4", "The CODE-128(C) barcode \"12A4\" may hold digits only."},
      {1, std::string(256, 'A'),
       "The barcode text has 256 characters; a barcode takes at most 255."},
  };
  for (const Case& c : cases) {
    Bytes out = {0x01};
    Status st = AppendBarcodeBlock(out, c.type, c.text);
    EXPECT_EQ(st.code(), ErrorCode::kInvalidArgument);
    EXPECT_EQ(st.message(), c.says);
    EXPECT_EQ(out, Bytes{0x01});  // nothing appended
  }
}

// The longest text a barcode takes is sent whole, its length in the one count byte.
TEST(BarcodeBlockErrors, TheLongestTextIsTaken) {
  Bytes out;
  ASSERT_TRUE(AppendBarcodeBlock(out, 1, std::string(255, 'A')).ok());
  Bytes expected = {0x1D, 0x6B, 0x45, 0xFF};
  expected.insert(expected.end(), 255, 'A');
  EXPECT_EQ(out, expected);
}

TEST(DigitPairValue, PairsFromTheStartOrAfterALoneFirstDigit) {
  EXPECT_EQ(DigitPairValue("12345678", 0), 12);
  EXPECT_EQ(DigitPairValue("12345678", 3), 78);
  EXPECT_EQ(DigitPairValue("12345", 0), 1);
  EXPECT_EQ(DigitPairValue("12345", 1), 23);
  EXPECT_EQ(DigitPairValue("12345", 2), 45);
  EXPECT_EQ(DigitPairValue("09", 0), 9);
  EXPECT_EQ(DigitPairValue("12", 5), 0);  // past the end
}

// --- the key filter ----------------------------------------------------------------------

// One window-level key event as the front end delivers it.
struct Key {
  enum Kind { kDown, kPress, kUp } kind;
  std::int16_t code;  // key code, or the character for kPress
  std::int16_t shift = 0;
};

// A plain key: down, the character it produces, up.
std::vector<Key> Tap(std::int16_t key_code, std::int16_t ascii) {
  return {{Key::kDown, key_code}, {Key::kPress, ascii}, {Key::kUp, key_code}};
}

void Deliver(FrmMenu& frm, const std::vector<Key>& keys) {
  for (Key k : keys) {
    std::int16_t code = k.code;
    switch (k.kind) {
      case Key::kDown:
        Form_KeyDown(frm, code, k.shift);
        break;
      case Key::kPress:
        Form_KeyPress(frm, code);
        break;
      case Key::kUp:
        Form_KeyUp(frm, code, k.shift);
        break;
    }
  }
}

// The barcode field of the given type, focused, holding `text`.
void FocusBarCode(TestRig& rig, int type, const std::string& text) {
  rig.state().SetListIndex("Combo1", type);
  Combo1_LostFocus(*rig.frm);
  rig.state().SetText("TxtBarCode", text);
  rig.state().SetFocused("TxtBarCode");
}

struct KeyCase {
  const char* name;
  int type;
  const char* before;
  std::vector<Key> keys;
  const char* after;
};

class BarcodeKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(BarcodeKeys, EditTheBarcodeField) {
  TestRig rig;
  FocusBarCode(rig, GetParam().type, GetParam().before);
  Deliver(*rig.frm, GetParam().keys);
  EXPECT_EQ(rig.state().Text("TxtBarCode"), GetParam().after);
}

const std::vector<Key> kShift4ReleaseFourFirst = {{Key::kDown, kKeyShift, kShiftMask},
                                                  {Key::kDown, '4', kShiftMask},
                                                  {Key::kPress, '$'},
                                                  {Key::kUp, '4', kShiftMask},
                                                  {Key::kUp, kKeyShift, 0}};
const std::vector<Key> kShift4ReleaseShiftFirst = {{Key::kDown, kKeyShift, kShiftMask},
                                                   {Key::kDown, '4', kShiftMask},
                                                   {Key::kPress, '$'},
                                                   {Key::kUp, kKeyShift, 0},
                                                   {Key::kUp, '4', 0}};
const std::vector<Key> kBackspace = Tap(kKeyBack, 8);
const std::vector<Key> kDelete = {{Key::kDown, kKeyDelete}, {Key::kUp, kKeyDelete}};
const std::vector<Key> kCtrlDelete = {{Key::kDown, kKeyDelete, kCtrlMask},
                                      {Key::kUp, kKeyDelete, kCtrlMask}};

INSTANTIATE_TEST_SUITE_P(
    Rules, BarcodeKeys,
    ::testing::Values(
        KeyCase{"Ean13Digit", 0, "12", Tap('7', '7'), "127"},
        KeyCase{"Ean13LetterAddsNothing", 0, "12", Tap('A', 'a'), "12"},
        KeyCase{"Ean13KeypadDigitAddsNothing", 0, "12", Tap(101, '5'), "12"},
        KeyCase{"ItfKeypadDigitAddsNothing", 2, "", Tap(96, '0'), ""},
        KeyCase{"Code128KeypadDigitAddsNothing", 3, "", Tap(105, '9'), ""},
        KeyCase{"Code39KeypadDigitAddsNothing", 1, "", Tap(97, '1'), ""},
        KeyCase{"Ean13DigitWithShiftStillCounts", 0, "", {{Key::kUp, '3', kShiftMask}}, "3"},
        KeyCase{"Ean13ThirteenthDigitRefused", 0, "123456789012", Tap('3', '3'), "123456789012"},
        KeyCase{"Code128ThirteenthDigitRefused", 3, "123456789012", Tap('3', '3'), "123456789012"},
        KeyCase{"Code39UpperCaseFromPlainA", 1, "", Tap('A', 'a'), "A"},
        KeyCase{"Code39DigitAndSpace", 1, "X", {Tap('1', '1')[2], Tap(kKeySpace, ' ')[2]}, "X1 "},
        KeyCase{"Code39Shift4ReleaseFourFirst", 1, "", kShift4ReleaseFourFirst, "$"},
        KeyCase{"Code39Shift4ReleaseShiftFirst", 1, "", kShift4ReleaseShiftFirst, "$4"},
        KeyCase{"Code39PlainSymbolKey", 1, "A", Tap(189, '-'), "A-"},
        KeyCase{"Code39OtherSymbolsAddNothing", 1, "A", Tap(186, ';'), "A"},
        KeyCase{"Code39EighthRefused", 1, "ABCDEFG", Tap('H', 'h'), "ABCDEFG"},
        KeyCase{"Code39ShiftedLetterWaitsForTheRelease", 1, "", {{Key::kUp, 'A', kShiftMask}}, ""},
        KeyCase{"BackspaceRemovesTheLast", 0, "123", kBackspace, "12"},
        KeyCase{"DeleteRemovesTheLast", 1, "AB", kDelete, "A"},
        KeyCase{"DeleteWithModifierToo", 3, "45", kCtrlDelete, "4"},
        KeyCase{"BackspaceOnEmptyDoesNothing", 2, "", kBackspace, ""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BarcodeKeyFilter, OnlyTheSampleTextTakesTypingDirectly) {
  TestRig rig;
  for (const char* focused : {"TxtXScale", "TxtBarCode", "CmdPrint"}) {
    rig.state().SetFocused(focused);
    std::int16_t code = 'A', ascii = 'a';
    Form_KeyDown(*rig.frm, code, 0);
    Form_KeyPress(*rig.frm, ascii);
    EXPECT_EQ(code, 0) << focused;
    EXPECT_EQ(ascii, 0) << focused;
    EXPECT_EQ(rig.frm->LastKeyAscii, 'a') << focused;
  }
  rig.frm->LastKeyAscii = 0;
  rig.state().SetFocused("TxtSample");
  std::int16_t code = 'A', ascii = 'a';
  Form_KeyDown(*rig.frm, code, 0);
  Form_KeyPress(*rig.frm, ascii);
  EXPECT_EQ(code, 'A');
  EXPECT_EQ(ascii, 'a');
  EXPECT_EQ(rig.frm->LastKeyAscii, 0);
}

TEST(BarcodeKeyFilter, KeysElsewhereDoNotTouchTheBarcode) {
  TestRig rig;
  FocusBarCode(rig, 1, "A");
  rig.state().SetFocused("TxtXScale");
  Deliver(*rig.frm, Tap('B', 'b'));
  EXPECT_EQ(rig.state().Text("TxtBarCode"), "A");
  EXPECT_EQ(rig.frm->LastKeyAscii, 'b');  // only the CODE-39 rule in the field clears it
}

TEST(Combo1LostFocus, SetsTheTypesLimitAndEmptiesTheField) {
  TestRig rig;
  const int limits[] = {12, 7, 12, 12};
  for (int type = 0; type < 4; ++type) {
    rig.state().SetListIndex("Combo1", type);
    rig.state().SetText("TxtBarCode", "123");
    Combo1_LostFocus(*rig.frm);
    EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), limits[type]);
    EXPECT_EQ(rig.state().Text("TxtBarCode"), "");
  }
  // Leaving without changing the type still empties the field.
  rig.state().SetText("TxtBarCode", "9");
  Combo1_LostFocus(*rig.frm);
  EXPECT_EQ(rig.state().Text("TxtBarCode"), "");
}

}  // namespace
}  // namespace qw77
