// Turning the bytes a terminal sends for one key press into the console's key text:
// one byte for a plain key, byte 0 and the scan code for an extended key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Scan codes of the extended keys.
enum ScanCode : unsigned char {
  kScanF1 = 0x3B, kScanF10 = 0x44, kScanHome = 0x47, kScanUp = 0x48, kScanPageUp = 0x49,
  kScanLeft = 0x4B, kScanRight = 0x4D, kScanEnd = 0x4F, kScanDown = 0x50, kScanPageDown = 0x51,
  kScanInsert = 0x52, kScanDelete = 0x53, kScanF11 = 0x85, kScanF12 = 0x86,
};

std::string ExtendedKey(unsigned char scanCode);
// True when bytes begin with a whole key (an escape sequence or a UTF-8 character may still
// be arriving).
bool HoldsWholeKey(const std::string& bytes);
// The key text of the key at the start of bytes; used is set to the bytes it took. One key
// press is one key text: a UTF-8 character, Alt+key (Esc and a key that came with it) and an
// unknown escape sequence each come whole, as their bytes. A lone Esc is only known as such
// once no more bytes follow: the caller passes it alone after waiting. A report the terminal
// sends of itself gives an empty key text: it is dropped, never taken for a key.
std::string KeyTextFromBytes(const std::string& bytes, size_t& used);
// The key text of a key pressed in a Windows console (a key event's virtual-key code, scan code
// and character): the character it typed, as UTF-8, or the extended key of its scan code; empty
// for a key that types nothing on its own (Shift, Ctrl, Alt, Caps Lock).
std::string KeyTextFromConsoleKey(uint16_t virtualKey, uint16_t scanCode, char32_t character);
