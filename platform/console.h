// The text console: 16 colours, cursor, whole-frame output, single key presses.
// Colours are console numbers 0-15 (0 black, 1 blue, 4 red, 7 light grey, 14 yellow, 15 white).
#pragma once

#include <string>

// The console colours the programs use, by their palette numbers.
enum ConsoleColour { kBlack = 0, kBlue = 1, kRed = 4, kLightGrey = 7, kLightGreen = 10, kLightCyan = 11, kLightRed = 12, kYellow = 14, kWhite = 15 };

inline constexpr int kScreenColumns = 140;
inline constexpr int kScreenRows = 43;

// Why this console cannot show the programs' screens (no terminal: a person is not there; a
// terminal that cannot move the cursor or show colours); empty when it can.
std::string ConsoleProblem();
// Takes the console for the program: raw keys, restored on every way out (an end, Ctrl+C, a
// closed terminal); Ctrl+Z gives the terminal back and fg takes it again, redrawn.
void ConsoleOpen();
void ConsoleSetTitle(const std::string& title);
// A second screen buffer, made active (the terminal's alternate screen).
void ConsoleUseSecondBuffer();
void ConsoleSetSize(int columns, int rows);
void ConsoleSetColour(int foreground, int background);
// Row and column counted from 1 at the top left.
void ConsoleLocate(int row, int column);
void ConsoleShowCursor(bool visible);
// Percent of the character cell: 90 shows a block, 10 an underline.
void ConsoleSetCursorHeight(int percent);
// Fills the screen with the current colour; the cursor goes to the top left.
void ConsoleClear();
// Writes the program's own single-byte text (code page 437) at the cursor, which moves on.
void ConsolePrint(const std::string& text);
// Writes text that came from outside (a reply, a file): UTF-8 when it is valid UTF-8,
// otherwise ISO-8859-1, one cell per character. Control characters (C0, DEL, C1) show as
// "?", so nothing in the data can act on the terminal.
void ConsolePrintText(const std::string& text);
inline bool IsControlCharacter(char32_t c) { return c < 32 || c == 127 || (c >= 0x80 && c <= 0x9F); }
// Ends the line: the cursor goes to column 1 of the next row.
void ConsoleNewLine();
inline void ConsolePrintLine(const std::string& text) {
  ConsolePrint(text);
  ConsoleNewLine();
}
// Waits for one key press (polling every 20 ms); a plain key is one byte, an extended
// key is byte 0 followed by its scan code.
std::string ConsoleWaitKey();
// The same, giving up after milliseconds: empty when no key came.
std::string ConsoleWaitKeyFor(int milliseconds);
// Throws away keys typed so far, so that none answers the question about to be asked.
void ConsoleDiscardKeys();
void ConsoleBeep();
// "Press Any Key to Continue": a key typed after it goes on, never one typed minutes before.
inline void ConsolePressAnyKey() {
  ConsolePrintLine("Press Any Key to Continue");
  ConsoleDiscardKeys();
  ConsoleWaitKey();
}
// Sends what was written so far; called before every key wait and every sleep.
void ConsoleFlush();
// Gives the terminal back as it was.
void ConsoleClose();
// The row the cursor is left on when a signal (Ctrl+C) ends the program, so that the shell's
// prompt comes below what it drew; 0 leaves it where it stands.
void ConsoleSetEndRow(int row);
