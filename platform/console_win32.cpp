// The console on Windows: a second screen buffer, attributes, and keys and resizes read from
// the console's input events.
// What the screen holds is kept as a grid of cells and written with WriteConsoleOutputW, the
// changed part of each row at a time, once per frame: a redraw never flickers, and no byte of
// the data is ever taken as a console control.
#include "platform/console.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <deque>

#include "common/unicode.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/sound.h"
#include "platform/wide_win32.h"

namespace {

struct Console {
  bool opened = false;
  HANDLE original = INVALID_HANDLE_VALUE;  // the buffer the user had, given back at the end
  HANDLE second = INVALID_HANDLE_VALUE;
  HANDLE screen = INVALID_HANDLE_VALUE;    // the one we draw on
  COORD origin{0, 0};                      // where row 1, column 1 is in that buffer
  CONSOLE_CURSOR_INFO savedCursor{25, TRUE};
  WORD savedAttributes = kLightGrey;
  wchar_t savedTitle[1024] = L"";
  bool cursorVisible = true;
  int cursorHeight = 25;
  int row = 1, column = 1;
  int endRow = 0;  // where Ctrl+C leaves the cursor
  DWORD savedInputMode = 0;
  bool inputModeSaved = false;
  std::deque<std::string> pendingKeys;  // key texts read with other input events, not yet taken
  int foreground = kLightGrey, background = kBlack;
  CHAR_INFO cells[kScreenRows][kScreenColumns];
  int dirtyFrom[kScreenRows];  // the changed columns of each row, from 0; from > to when none
  int dirtyTo[kScreenRows];
};

Console console;

WORD Attribute(int foreground, int background) { return static_cast<WORD>((foreground & 15) | ((background & 15) << 4)); }

void MarkClean() {
  std::fill(std::begin(console.dirtyFrom), std::end(console.dirtyFrom), kScreenColumns);
  std::fill(std::begin(console.dirtyTo), std::end(console.dirtyTo), -1);
}

void MarkAllDirty() {
  std::fill(std::begin(console.dirtyFrom), std::end(console.dirtyFrom), 0);
  std::fill(std::begin(console.dirtyTo), std::end(console.dirtyTo), kScreenColumns - 1);
}

// A space in the current colour.
CHAR_INFO BlankCell() {
  CHAR_INFO blank{};
  blank.Char.UnicodeChar = L' ';
  blank.Attributes = Attribute(console.foreground, console.background);
  return blank;
}

void FillCells() {
  for (auto& row : console.cells) std::fill(std::begin(row), std::end(row), BlankCell());
  MarkAllDirty();
}

// Puts the user's console back: called on every way out, also from the Ctrl+C handler's thread.
void RestoreConsole() {
  if (console.inputModeSaved) SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), console.savedInputMode | ENABLE_EXTENDED_FLAGS);
  if (console.original == INVALID_HANDLE_VALUE) return;
  SetConsoleActiveScreenBuffer(console.original);
  SetConsoleCursorInfo(console.original, &console.savedCursor);
  SetConsoleTextAttribute(console.original, console.savedAttributes);
  SetConsoleTitleW(console.savedTitle);
}

// Ctrl+C, Ctrl+Break, a closed window, a log-off: give everything back; the system then ends us.
BOOL WINAPI OnConsoleEvent(DWORD) {
  if (console.endRow > 0 && console.second == INVALID_HANDLE_VALUE)
    SetConsoleCursorPosition(console.original, COORD{0, static_cast<SHORT>(console.origin.Y + console.endRow - 1)});
  RestoreConsole();
  RemoveUnfinishedFile();  // a half-written copy must not be left behind
  EndSoundNow();
  return FALSE;
}

// A character shown in one cell; wide (East Asian) characters, combining marks and those
// beyond the first plane do not fit one cell and show as "?".
wchar_t OneCellCharacter(char32_t c) {
  if (IsControlCharacter(c) || c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) return L'?';
  if ((c >= 0x0300 && c <= 0x036F) || (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
      (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6))
    return L'?';
  return static_cast<wchar_t>(c);
}

// The program's own text is code page 437, where 177 is the shade block.
wchar_t CodePage437Character(unsigned char byte) {
  if (byte < 0x80) return byte;
  char narrow = static_cast<char>(byte);
  wchar_t wide = L'?';
  MultiByteToWideChar(437, 0, &narrow, 1, &wide, 1);
  return wide;
}

void ScrollCells() {
  for (int r = 1; r < kScreenRows; ++r) std::copy(std::begin(console.cells[r]), std::end(console.cells[r]), console.cells[r - 1]);
  std::fill(std::begin(console.cells[kScreenRows - 1]), std::end(console.cells[kScreenRows - 1]), BlankCell());
  MarkAllDirty();
}

void PutCell(wchar_t c) {
  if (console.column > kScreenColumns) ConsoleNewLine();
  int r = console.row - 1, col = console.column - 1;
  console.cells[r][col].Char.UnicodeChar = c;
  console.cells[r][col].Attributes = Attribute(console.foreground, console.background);
  console.dirtyFrom[r] = std::min(console.dirtyFrom[r], col);
  console.dirtyTo[r] = std::max(console.dirtyTo[r], col);
  ++console.column;
}

// The changed cells of each row, written in one call per row; a buffer smaller than ours (the
// size could not be set) shows what fits.
void WriteDirtyRows() {
  for (int r = 0; r < kScreenRows; ++r) {
    if (console.dirtyFrom[r] > console.dirtyTo[r]) continue;
    SHORT left = static_cast<SHORT>(console.origin.X + console.dirtyFrom[r]);
    SHORT top = static_cast<SHORT>(console.origin.Y + r);
    SMALL_RECT region{left, top, static_cast<SHORT>(console.origin.X + console.dirtyTo[r]), top};
    COORD size{kScreenColumns, kScreenRows};
    COORD from{static_cast<SHORT>(console.dirtyFrom[r]), static_cast<SHORT>(r)};
    WriteConsoleOutputW(console.screen, &console.cells[0][0], size, from, &region);
  }
  MarkClean();
}

void ApplyCursor() {
  CONSOLE_CURSOR_INFO info{static_cast<DWORD>(std::clamp(console.cursorHeight, 1, 100)), console.cursorVisible};
  SetConsoleCursorInfo(console.screen, &info);
}

// QuickEdit off while we run: with it on (the classic console's default) one stray click starts
// a selection that holds our next write until a key is pressed, and monitoring stops. Window
// input on, so that a resize comes as an event.
void TakeInputMode() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!GetConsoleMode(input, &console.savedInputMode)) return;
  console.inputModeSaved = true;
  DWORD mode = (console.savedInputMode | ENABLE_EXTENDED_FLAGS | ENABLE_WINDOW_INPUT) & ~ENABLE_QUICK_EDIT_MODE;
  SetConsoleMode(input, mode);
}

// Takes the input events there are: key presses become key texts for the key waits, a changed
// size redraws the whole screen from the grid.
void TakeInputEvents() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  bool resized = false;
  DWORD count = 0;
  while (GetNumberOfConsoleInputEvents(input, &count) && count > 0) {
    INPUT_RECORD records[32];
    DWORD read = 0;
    if (!ReadConsoleInputW(input, records, 32, &read) || read == 0) break;
    for (DWORD i = 0; i < read; ++i) {
      if (records[i].EventType == WINDOW_BUFFER_SIZE_EVENT) resized = true;
      if (records[i].EventType != KEY_EVENT || !records[i].Event.KeyEvent.bKeyDown) continue;
      const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
      std::string text = KeyTextFromConsoleKey(key.wVirtualKeyCode, key.wVirtualScanCode, key.uChar.UnicodeChar);
      for (WORD repeat = 0; !text.empty() && repeat < std::max<WORD>(key.wRepeatCount, 1); ++repeat)
        console.pendingKeys.push_back(text);
    }
  }
  if (resized) MarkAllDirty();
}

}  // namespace

std::string ConsoleProblem() {
  DWORD mode = 0;
  bool console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) && GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
  return console ? "" : "needs a console window to run in (standard input and output are not one)";
}

void ConsoleOpen() {
  if (console.opened) return;
  console.opened = true;
  console.original = GetStdHandle(STD_OUTPUT_HANDLE);
  console.screen = console.original;
  GetConsoleCursorInfo(console.original, &console.savedCursor);
  console.cursorHeight = static_cast<int>(console.savedCursor.dwSize);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(console.original, &info)) {
    console.savedAttributes = info.wAttributes;
    console.origin = {info.srWindow.Left, info.srWindow.Top};  // the form is drawn in the window shown
  }
  GetConsoleTitleW(console.savedTitle, sizeof console.savedTitle / sizeof console.savedTitle[0]);
  TakeInputMode();
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  std::atexit(ConsoleClose);
  FillCells();
  MarkClean();  // the user's screen stays as it is until we draw
}

void ConsoleSetTitle(const std::string& title) { SetConsoleTitleA(title.c_str()); }

void ConsoleUseSecondBuffer() {
  HANDLE second = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (second == INVALID_HANDLE_VALUE || !SetConsoleActiveScreenBuffer(second)) return;
  console.second = second;
  console.screen = second;
  console.origin = {0, 0};
  ApplyCursor();
  MarkAllDirty();
}

// A console the user has made smaller, or one that cannot be sized, is drawn as it is.
void ConsoleSetSize(int columns, int rows) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(console.screen, &info)) return;
  // The window must always fit the buffer: grow the buffer, set the window, then trim the buffer.
  COORD larger{std::max<SHORT>(info.dwSize.X, static_cast<SHORT>(columns)), std::max<SHORT>(info.dwSize.Y, static_cast<SHORT>(rows))};
  SetConsoleScreenBufferSize(console.screen, larger);
  SMALL_RECT window{0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
  SetConsoleWindowInfo(console.screen, TRUE, &window);
  SetConsoleScreenBufferSize(console.screen, COORD{static_cast<SHORT>(columns), static_cast<SHORT>(rows)});
}

void ConsoleSetColour(int foreground, int background) {
  console.foreground = foreground;
  console.background = background;
}

void ConsoleLocate(int row, int column) {
  console.row = std::clamp(row, 1, kScreenRows);
  console.column = std::clamp(column, 1, kScreenColumns);
}

void ConsoleShowCursor(bool visible) {
  console.cursorVisible = visible;
  ApplyCursor();
}

void ConsoleSetCursorHeight(int percent) {
  console.cursorHeight = percent;
  ApplyCursor();
}

void ConsoleClear() {
  FillCells();
  ConsoleLocate(1, 1);
}

void ConsolePrint(const std::string& text) {
  for (char c : text) PutCell(CodePage437Character(static_cast<unsigned char>(c)));
}

void ConsolePrintText(const std::string& text) {
  if (IsAscii(text)) {
    for (char c : text) PutCell(OneCellCharacter(static_cast<unsigned char>(c)));
    return;
  }
  for (char32_t c : DecodeCharacters(text)) PutCell(OneCellCharacter(c));
}

void ConsoleNewLine() {
  if (console.row >= kScreenRows) {
    ScrollCells();
    console.column = 1;
    return;
  }
  ConsoleLocate(console.row + 1, 1);
}

std::string ConsoleWaitKeyFor(int milliseconds) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
  for (;;) {
    ConsoleFlush();  // takes the input events: keys, and a resize, which repaints
    if (!console.pendingKeys.empty()) {
      std::string key = console.pendingKeys.front();
      console.pendingKeys.pop_front();
      return key;
    }
    if (milliseconds >= 0 && GetTickCount64() >= deadline) return "";
    Sleep(20);
  }
}

std::string ConsoleWaitKey() { return ConsoleWaitKeyFor(-1); }

void ConsoleDiscardKeys() {
  FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
  console.pendingKeys.clear();
}

void ConsoleBeep() { MessageBeep(0); }

void ConsoleFlush() {
  if (!console.opened) return;
  TakeInputEvents();  // a resize while the monitor sleeps repaints too
  WriteDirtyRows();
  int column = std::min(console.column, kScreenColumns);
  SetConsoleCursorPosition(console.screen, COORD{static_cast<SHORT>(console.origin.X + column - 1),
                                                 static_cast<SHORT>(console.origin.Y + console.row - 1)});
  SetConsoleTextAttribute(console.screen, Attribute(console.foreground, console.background));
}

void ConsoleClose() {
  if (!console.opened) return;
  ConsoleFlush();
  RestoreConsole();
  if (console.second != INVALID_HANDLE_VALUE) CloseHandle(console.second);
  console.second = INVALID_HANDLE_VALUE;
  console.opened = false;
}

void ConsoleSetEndRow(int row) { console.endRow = row; }
