#include "platform/keys.h"

#include <gtest/gtest.h>

namespace {

std::string Key(const std::string& bytes, size_t expectUsed) {
  size_t used = 0;
  std::string key = KeyTextFromBytes(bytes, used);
  EXPECT_EQ(used, expectUsed) << "for bytes of " << bytes.size();
  return key;
}

}  // namespace

TEST(KeyText, PlainKeysAreOneByte) {
  EXPECT_EQ(Key("a", 1), "a");
  EXPECT_EQ(Key("\r", 1), "\r");
  EXPECT_EQ(Key("\n", 1), "\r");
  EXPECT_EQ(Key("\x7f", 1), "\b");  // Backspace arrives as DEL
  EXPECT_EQ(Key("\t", 1), "\t");
  EXPECT_EQ(Key("\x01", 1), "\x01");
  EXPECT_EQ(Key("\x1b", 1), "\x1b");
  EXPECT_EQ(Key("ab", 1), "a");
}

TEST(KeyText, EscapeSequencesBecomeScanCodes) {
  EXPECT_EQ(Key("\x1b[A", 3), ExtendedKey(0x48));
  EXPECT_EQ(Key("\x1b[B", 3), ExtendedKey(0x50));
  EXPECT_EQ(Key("\x1b[D", 3), ExtendedKey(0x4B));
  EXPECT_EQ(Key("\x1b[C", 3), ExtendedKey(0x4D));
  EXPECT_EQ(Key("\x1bOA", 3), ExtendedKey(0x48));
  EXPECT_EQ(Key("\x1b[H", 3), ExtendedKey(0x47));
  EXPECT_EQ(Key("\x1b[F", 3), ExtendedKey(0x4F));
  EXPECT_EQ(Key("\x1b[1~", 4), ExtendedKey(0x47));
  EXPECT_EQ(Key("\x1b[4~", 4), ExtendedKey(0x4F));
  EXPECT_EQ(Key("\x1b[2~", 4), ExtendedKey(0x52));
  EXPECT_EQ(Key("\x1b[3~", 4), ExtendedKey(0x53));
  EXPECT_EQ(Key("\x1b[5~", 4), ExtendedKey(0x49));
  EXPECT_EQ(Key("\x1b[6~", 4), ExtendedKey(0x51));
  EXPECT_EQ(Key("\x1bOP", 3), ExtendedKey(0x3B));
  EXPECT_EQ(Key("\x1bOS", 3), ExtendedKey(0x3E));
  EXPECT_EQ(Key("\x1b[15~", 5), ExtendedKey(0x3F));
  EXPECT_EQ(Key("\x1b[21~", 5), ExtendedKey(0x44));
  EXPECT_EQ(Key("\x1b[23~", 5), ExtendedKey(0x85));
  EXPECT_EQ(Key("\x1b[24~", 5), ExtendedKey(0x86));
  EXPECT_EQ(Key("\x1b[[A", 4), ExtendedKey(0x3B));
  EXPECT_EQ(Key("\x1b[1;5A", 6), ExtendedKey(0x48));  // Ctrl+Up is still Up
  EXPECT_EQ(Key("\x1b[99~", 5), "\x1b[99~");          // unknown: one key, whole
  EXPECT_EQ(Key("\x1b[1;2R", 6), ExtendedKey(0x3D));  // Shift+F3, shaped like a cursor report
}

// What the terminal says of itself arrives among the keys (a size answer late over a slow link):
// it is dropped whole, never taken for a key press.
TEST(KeyText, TerminalReportsAreNoKeys) {
  for (const char* report : {"\x1b[8;43;140t", "\x1b[4;860;1400t", "\x1b[?64;1;22c", "\x1b[>41;380;0c", "\x1b[0n",
                             "\x1b[?1049;2$y", "\x1b[12;40R"})
    EXPECT_EQ(Key(std::string(report) + "n", std::string(report).size()), "") << report + 1;
}

TEST(KeyText, IncompleteSequencesWaitForMoreBytes) {
  EXPECT_FALSE(HoldsWholeKey(""));
  EXPECT_FALSE(HoldsWholeKey("\x1b["));
  EXPECT_FALSE(HoldsWholeKey("\x1b[2"));
  EXPECT_FALSE(HoldsWholeKey("\x1bO"));
  EXPECT_TRUE(HoldsWholeKey("\x1b"));
  EXPECT_TRUE(HoldsWholeKey("\x1b[2~"));
}

// One key press is one key text, however many bytes the terminal sends for it.
TEST(KeyText, OneKeyIsOneKey) {
  struct Row {
    const char* bytes;
    size_t used;
    const char* key;
  };
  for (const Row& row : {Row{"\x1b" "5", 2, "\x1b" "5"},                 // Alt+5
                         {"\x1bx" "y", 2, "\x1bx"},
                         {"\x1b\x1b", 1, "\x1b"},
                         {"\xC3\xA9" "x", 2, "\xC3\xA9"},               // é typed on a UTF-8 terminal
                         {"\xE2\x82\xAC", 3, "\xE2\x82\xAC"},
                         {"\x1b\xC3\xA9", 3, "\x1b\xC3\xA9"},         // Alt+é
                         {"\xE9" "x", 1, "\xE9"},                       // ISO-8859-1 é
                         {"\x1bOZ", 3, "\x1bOZ"},
                         {"\x1b[77777777777~", 14, "\x1b[77777777777~"},  // found by fuzzing: no overflow
                         {"\x1b[", 2, "\x1b["}})                        // cut off: the caller gave up waiting
    EXPECT_EQ(Key(row.bytes, row.used), row.key) << row.bytes;
  EXPECT_FALSE(HoldsWholeKey("\xC3"));
  EXPECT_FALSE(HoldsWholeKey("\x1b\xE2\x82"));
}

// The Windows console's key events: a typed 0xE0 (à in code page 437) is a character, not the
// prefix of an extended key that swallows the next one.
TEST(KeyText, ConsoleKeyEvents) {
  struct Row {
    uint16_t virtualKey, scanCode;
    char32_t character;
    std::string key;
  };
  for (const Row& row : {Row{0x41, 0x1E, U'a', "a"}, {0x0D, 0x1C, U'\r', "\r"}, {0x1B, 0x01, 27, "\x1b"},
                         {0x26, 0x48, 0, ExtendedKey(kScanUp)}, {0x2E, 0x53, 0, ExtendedKey(kScanDelete)},
                         {0x70, 0x3B, 0, ExtendedKey(kScanF1)}, {0x7B, 0x58, 0, ExtendedKey(kScanF12)},
                         {0x10, 0x2A, 0, ""}, {0x11, 0x1D, 0, ""}, {0xDE, 0x28, U'\u00E0', "\xC3\xA0"},
                         {0x00, 0x00, 0xD83D, "\xEF\xBF\xBD"}})  // half of a UTF-16 pair: no invalid bytes
    EXPECT_EQ(KeyTextFromConsoleKey(row.virtualKey, row.scanCode, row.character), row.key) << row.virtualKey;
}
