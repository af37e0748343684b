// Terminal escape sequences to key texts.
#include "platform/keys.h"

#include <algorithm>

#include "common/text.h"
#include "common/unicode.h"

namespace {

constexpr char kEsc = 27;

// The scan code for the number of a "CSI n ~" sequence, 0 when unknown.
unsigned char ScanForTilde(int number) {
  switch (number) {
    case 1: case 7: return kScanHome;
    case 2: return kScanInsert;
    case 3: return kScanDelete;
    case 4: case 8: return kScanEnd;
    case 5: return kScanPageUp;
    case 6: return kScanPageDown;
    case 11: case 12: case 13: case 14: case 15: return static_cast<unsigned char>(kScanF1 + number - 11);
    case 17: case 18: case 19: case 20: case 21: return static_cast<unsigned char>(kScanF1 + 5 + number - 17);
    case 23: return kScanF11;
    case 24: return kScanF12;
    default: return 0;
  }
}

// The scan code for the final letter of "CSI x" or "SS3 x", 0 when unknown.
unsigned char ScanForLetter(char letter) {
  switch (letter) {
    case 'A': return kScanUp;
    case 'B': return kScanDown;
    case 'C': return kScanRight;
    case 'D': return kScanLeft;
    case 'H': return kScanHome;
    case 'F': return kScanEnd;
    case 'P': case 'Q': case 'R': case 'S': return static_cast<unsigned char>(kScanF1 + letter - 'P');
    default: return 0;
  }
}

// Length of the CSI sequence starting at bytes[0] == ESC, bytes[1] == '['; 0 if incomplete.
size_t CsiLength(const std::string& bytes) {
  size_t i = 2;
  if (i < bytes.size() && bytes[i] == '[') return bytes.size() > 3 ? 4 : 0;  // Linux console F1-F5
  while (i < bytes.size() && bytes[i] >= 0x20 && bytes[i] <= 0x3F) ++i;
  return i < bytes.size() ? i + 1 : 0;
}

// What a terminal sends of itself, never a key: a window report (CSI 8;43;140 t, the late answer
// to a size query over a slow link), device attributes (CSI ? 64;1 c), a status report (CSI 0 n),
// a mode report (CSI ? 1049;2 $ y), a cursor position (CSI 12;40 R, but not CSI 1;2 R, Shift+F3).
bool IsTerminalReport(const std::string& sequence) {
  char final = sequence.back();
  char marker = sequence.size() > 3 ? sequence[2] : 0;
  if (final == 't' || final == 'n' || final == 'y') return true;
  if (final == 'c') return marker == '?' || marker == '>';
  return final == 'R' && sequence.find(';') != std::string::npos && sequence.rfind("\x1b[1;", 0) != 0;
}

std::string KeyFromCsi(const std::string& sequence) {
  char final = sequence.back();
  if (sequence[2] == '[')  // Linux console: ESC [ [ A to E are F1 to F5
    return final >= 'A' && final <= 'E' ? ExtendedKey(static_cast<unsigned char>(kScanF1 + final - 'A')) : "";
  if (final == '~') {
    int number = 0;
    for (size_t i = 2; i < sequence.size() && IsDigit(sequence[i]); ++i)
      number = std::min(number * 10 + (sequence[i] - '0'), 1000);  // no key has a longer number
    unsigned char scan = ScanForTilde(number);
    return scan ? ExtendedKey(scan) : "";
  }
  unsigned char scan = ScanForLetter(final);  // modifiers such as "1;5" are passed over
  return scan ? ExtendedKey(scan) : "";
}

// Bytes a UTF-8 character takes by its first byte; 1 for ASCII and for bytes that start none.
size_t Utf8Length(unsigned char first) {
  if (first >= 0xC2 && first <= 0xDF) return 2;
  if (first >= 0xE0 && first <= 0xEF) return 3;
  if (first >= 0xF0 && first <= 0xF4) return 4;
  return 1;
}

// A UTF-8 character whose continuation bytes are all there (or broken off: then its first byte alone).
size_t Utf8KeyLength(const std::string& bytes, size_t from) {
  size_t length = Utf8Length(static_cast<unsigned char>(bytes[from]));
  for (size_t i = 1; i < length; ++i)
    if (from + i < bytes.size() && (static_cast<unsigned char>(bytes[from + i]) & 0xC0) != 0x80) return 1;
  return length;
}

}  // namespace

std::string ExtendedKey(unsigned char scanCode) {
  return std::string(1, '\0') + static_cast<char>(scanCode);
}

bool HoldsWholeKey(const std::string& bytes) {
  if (bytes.empty()) return false;
  if (bytes[0] != kEsc) return bytes.size() >= Utf8KeyLength(bytes, 0);
  if (bytes.size() == 1) return true;
  if (bytes[1] == '[') return CsiLength(bytes) > 0;
  if (bytes[1] == 'O') return bytes.size() >= 3;
  return bytes.size() >= 1 + Utf8KeyLength(bytes, 1);
}

std::string KeyTextFromBytes(const std::string& bytes, size_t& used) {
  used = 0;
  if (bytes.empty()) return "";
  unsigned char first = static_cast<unsigned char>(bytes[0]);
  used = 1;
  if (first == 127) return "\b";  // terminals send DEL for Backspace
  if (first == '\n') return "\r";
  if (first != kEsc) {
    used = std::min(Utf8KeyLength(bytes, 0), bytes.size());
    return bytes.substr(0, used);
  }
  if (bytes.size() == 1 || bytes[1] == kEsc) return std::string(1, kEsc);
  std::string key;
  if (bytes[1] == '[') {
    size_t length = CsiLength(bytes);
    used = length == 0 ? bytes.size() : length;  // cut off: taken whole, as an unknown key
    if (length > 0 && IsTerminalReport(bytes.substr(0, length))) return "";
    key = length == 0 ? "" : KeyFromCsi(bytes.substr(0, length));
  } else if (bytes[1] == 'O' && bytes.size() >= 3) {
    used = 3;
    unsigned char scan = ScanForLetter(bytes[2]);
    key = scan ? ExtendedKey(scan) : "";
  } else {
    used = std::min(1 + Utf8KeyLength(bytes, 1), bytes.size());  // Alt+key
  }
  return key.empty() ? bytes.substr(0, used) : key;
}

namespace {

// Windows' virtual-key codes of the keys that type nothing on their own.
bool TypesNothing(uint16_t virtualKey) {
  constexpr uint16_t kModifiers[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x5B, 0x5C, 0x5D, 0x90, 0x91,
                                     0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
  return std::find(std::begin(kModifiers), std::end(kModifiers), virtualKey) != std::end(kModifiers);
}

constexpr uint16_t kVirtualF11 = 0x7A, kVirtualF12 = 0x7B;

}  // namespace

std::string KeyTextFromConsoleKey(uint16_t virtualKey, uint16_t scanCode, char32_t character) {
  if (character != 0) {  // an accented letter is one key, never a prefix of the next
    std::string text;
    AppendUtf8(text, character);
    return text;
  }
  if (TypesNothing(virtualKey)) return "";
  if (virtualKey == kVirtualF11) return ExtendedKey(kScanF11);
  if (virtualKey == kVirtualF12) return ExtendedKey(kScanF12);
  return ExtendedKey(static_cast<unsigned char>(scanCode));
}
