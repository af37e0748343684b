#include "editor/field_input.h"

#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/virtual.h"
#include "tests/support.h"

namespace {

const std::string kLeft = ExtendedKey(0x4B), kRight = ExtendedKey(0x4D), kInsert = ExtendedKey(0x52),
                  kDelete = ExtendedKey(0x53), kHome = ExtendedKey(0x47), kEnd = ExtendedKey(0x4F),
                  kF1 = ExtendedKey(0x3B), kUp = ExtendedKey(0x48);

struct Edit {
  std::string value;
  int32_t exitKey = -1;
  std::string refused;
};

Edit Typed(std::string value, int width, std::vector<std::string> keys, std::string refused = "", int upperCase = 0,
         int extraExitCode = 255) {
  ResetVirtualConsole();
  for (const std::string& key : keys) TheConsole().keys.push_back(key);
  Edit edit{value, -1, refused};
  EditField(edit.value, width, 5, 10, upperCase, edit.refused, 14, 4, extraExitCode, edit.exitKey);
  return edit;
}

}  // namespace

TEST(KeyCode, PlainAndExtendedKeys) {
  EXPECT_EQ(KeyCode(""), 0);
  EXPECT_EQ(KeyCode("\r"), 13);
  EXPECT_EQ(KeyCode("\xFF"), 255);
  EXPECT_EQ(KeyCode(kUp), 0x4800);
  EXPECT_EQ(KeyCode(kDelete), 0x5300);
}

TEST(EditField, InsertPushesTheRestRight) {
  // FN20 with the cursor at 2 in insert mode: X goes in, the last cell falls off.
  EXPECT_EQ(Typed("FN20", 6, {kRight, kRight, kInsert, "X", "\r"}).value, "FNX20");
  EXPECT_EQ(TheConsole().column, 10);
  EXPECT_EQ(Typed("ABCDEF", 6, {kInsert, "X", "\r"}).value, "XABCDE");
}

TEST(EditField, OverwriteStaysInTheLastCell) {
  EXPECT_EQ(Typed("ABC", 3, {kEnd, "D", "\r"}).value, "ABD");
  EXPECT_EQ(Typed("ABC", 3, {kEnd, "D", "E", "\r"}).value, "ABE");
  EXPECT_EQ(Typed("A", 1, {"B", "C", "\r"}).value, "C");
  EXPECT_EQ(Typed("", 4, {"a", "b", kHome, "c", "\r"}).value, "cb");
}

TEST(EditField, BackspaceAndDelete) {
  EXPECT_EQ(Typed("ABC", 5, {"\b", "\r"}).value, "ABC");  // at 0 nothing happens
  EXPECT_EQ(Typed("ABC", 5, {kRight, kRight, "\b", "\r"}).value, "AC");
  EXPECT_EQ(Typed("ABC", 3, {kEnd, kDelete, "\r"}).value, "AB");
  EXPECT_EQ(Typed("ABC", 3, {kDelete, "\r"}).value, "BC");
  EXPECT_EQ(Typed("ABC", 3, {kLeft, kLeft, "X", "\r"}).value, "XBC");
}

TEST(EditField, RefusedAndControlKeysBeep) {
  Edit edit = Typed("40.5", 9, {"x", kF1, "\x01", "\r"}, "x");
  EXPECT_EQ(edit.value, "40.5");
  EXPECT_EQ(TheConsole().beeps, 3);
  EXPECT_EQ(edit.exitKey, 13);
}

TEST(EditField, AnEmptyRefusedSetRefusesCharacter255) {
  Edit edit = Typed("AB", 4, {"\xFF", "\r"}, "");
  EXPECT_EQ(edit.refused, "\xFF");
  EXPECT_EQ(TheConsole().beeps, 1);
  EXPECT_EQ(edit.exitKey, 13);
  edit = Typed("AB", 4, {"\xFF"}, "x");
  EXPECT_EQ(edit.exitKey, 255);
  EXPECT_EQ(edit.value, "AB");
}

TEST(EditField, EndsTrimmedUnlessEsc) {
  EXPECT_EQ(Typed("  AB  ", 6, {"\r"}).value, "AB");
  Edit cut = Typed("-105.123456", 10, {"\r"});
  EXPECT_EQ(cut.value, "-105.12345");
  Edit kept = Typed("-105.123456", 10, {"9", "\x1b"});
  EXPECT_EQ(kept.value, "-105.123456");
  EXPECT_EQ(kept.exitKey, 27);
  for (const std::string& key : {kUp, ExtendedKey(0x50), ExtendedKey(0x49), ExtendedKey(0x51), std::string("\t")})
    EXPECT_EQ(Typed("A", 2, {key}).exitKey, KeyCode(key));
}

// Alt+5 or an accented letter is one key the field refuses: a beep, nothing stored, and the
// field goes on.
TEST(EditField, RefusesKeysThatAreNotAscii) {
  ResetVirtualConsole();
  EXPECT_EQ(Typed("", 10, {"a", "\x1b" "5", "\xC3\xA9", "\xE9", "\x1b[99~", "b", "\r"}).value, "ab");
  EXPECT_EQ(TheConsole().beeps, 4);
}

// A password read from Config.ini in UTF-8: the cursor, Delete, Backspace and typing move and
// change whole characters, and what is not touched keeps its bytes.
TEST(EditField, EditsUtf8ValuesByCharacters) {
  const std::string password = "p\xC3\xA4ssw\xC3\xB6rd";  // pässwörd
  EXPECT_EQ(Typed(password, 12, {"\r"}).value, password);
  EXPECT_EQ(Typed(password, 12, {kRight, kDelete, "\r"}).value, "pssw\xC3\xB6rd");
  EXPECT_EQ(Typed(password, 12, {kRight, kRight, "\b", "\r"}).value, "pssw\xC3\xB6rd");
  EXPECT_EQ(Typed(password, 12, {kRight, "a", "\r"}).value, "passw\xC3\xB6rd");
  EXPECT_EQ(Typed(password, 12, {kRight, kRight, kInsert, "x", "\r"}).value, "p\xC3\xA4xssw\xC3\xB6rd");
  EXPECT_EQ(Typed(password, 4, {"\r"}).value, "p\xC3\xA4ss");  // cut by characters
  EXPECT_EQ(Typed("p\xE4ss", 6, {kEnd, "x", "\r"}).value, "p\xE4ss x");  // ISO-8859-1 stays so
}

TEST(EditField, UpperCasesTypedKeys) {
  EXPECT_EQ(Typed("", 10, {"k", "1", "a", "b", "c", "\r"}, "", 1).value, "K1ABC");
  EXPECT_EQ(Typed("", 10, {"k", "\r"}, "", 0).value, "k");
}

TEST(EditField, DrawsInTheFieldColoursAndEndsGreyOnBlue) {
  ResetVirtualConsole();
  TheConsole().keys = {kInsert};
  std::string value = "FN42", refused = "x";
  int32_t exitKey = 0;
  TheConsole().onKeyWait = [&] {
    if (TheConsole().keyWaits == 1) {
      EXPECT_EQ(ScreenTextMismatch(5, 10, "FN42  ", kYellow, kRed), "");
      EXPECT_EQ(TheConsole().cursorHeight, 10);  // overwrite
      EXPECT_TRUE(TheConsole().cursorVisible);
      TheConsole().keys.push_back("\r");
    } else {
      EXPECT_EQ(TheConsole().cursorHeight, 90);  // insert
    }
  };
  EditField(value, 6, 5, 10, 0, refused, 14, 4, 255, exitKey);
  EXPECT_EQ(ScreenTextMismatch(5, 10, "FN42  ", kLightGrey, kBlue), "");
  EXPECT_FALSE(TheConsole().cursorVisible);
  EXPECT_EQ(TheConsole().row, 5);
  EXPECT_EQ(TheConsole().column, 10);
}
