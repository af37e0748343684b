// The virtual console: what a program draws lands in a grid of cells that tests read.
#include "platform/virtual.h"

#include "platform/clock.h"

#include "common/unicode.h"

namespace {

VirtualConsole screen;

void ScrollUp() {
  for (int r = 1; r < kScreenRows; ++r)
    for (int c = 0; c < kScreenColumns; ++c) screen.cells[r - 1][c] = screen.cells[r][c];
  for (int c = 0; c < kScreenColumns; ++c)
    screen.cells[kScreenRows - 1][c] = VirtualCell{' ', screen.foreground, screen.background};
}

void PutCell(char32_t c) {
  if (screen.column > kScreenColumns) ConsoleNewLine();
  screen.cells[screen.row - 1][screen.column - 1] = VirtualCell{c, screen.foreground, screen.background};
  ++screen.column;
}

}  // namespace

VirtualConsole& TheConsole() { return screen; }

void ResetVirtualConsole() { screen = VirtualConsole{}; }

std::string ScreenRowText(int row) {
  std::string text;
  for (int c = 0; c < kScreenColumns; ++c) AppendUtf8(text, screen.cells[row - 1][c].ch);
  return text;
}

const VirtualCell& ScreenCell(int row, int column) { return screen.cells[row - 1][column - 1]; }

std::string ConsoleProblem() { return ""; }
void ConsoleOpen() {}
void ConsoleSetTitle(const std::string& title) { screen.title = title; }
void ConsoleUseSecondBuffer() { screen.secondBuffer = true; }

void ConsoleSetSize(int columns, int rows) {
  screen.columns = columns;
  screen.rows = rows;
}

void ConsoleSetColour(int foreground, int background) {
  screen.foreground = foreground;
  screen.background = background;
}

void ConsoleLocate(int row, int column) {
  screen.row = std::max(1, std::min(row, kScreenRows));
  screen.column = std::max(1, std::min(column, kScreenColumns));
}

void ConsoleShowCursor(bool visible) { screen.cursorVisible = visible; }
void ConsoleSetCursorHeight(int percent) { screen.cursorHeight = percent; }

void ConsoleClear() {
  for (auto& row : screen.cells)
    for (VirtualCell& cell : row) cell = VirtualCell{' ', screen.foreground, screen.background};
  screen.row = screen.column = 1;
}

void ConsolePrint(const std::string& text) {
  screen.transcript += text;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    PutCell(byte == 177 ? U'\u2592' : byte);
  }
}

void ConsolePrintText(const std::string& text) {
  if (IsAscii(text)) {
    size_t from = screen.transcript.size();
    screen.transcript += text;
    for (size_t i = from; i < screen.transcript.size(); ++i) {
      char& c = screen.transcript[i];
      if (IsControlCharacter(static_cast<unsigned char>(c))) c = '?';
      PutCell(static_cast<unsigned char>(c));
    }
    return;
  }
  for (char32_t c : DecodeCharacters(text)) {
    if (IsControlCharacter(c)) c = U'?';
    AppendUtf8(screen.transcript, c);
    PutCell(c);
  }
}

void ConsoleNewLine() {
  screen.transcript += "\n";
  screen.column = 1;
  if (screen.row == kScreenRows) ScrollUp();
  else ++screen.row;
}

// The time given passes at once when no key is queued, as the virtual clock's sleeps do.
std::string ConsoleWaitKeyFor(int milliseconds) {
  if (!screen.keys.empty() || !screen.typedAhead.empty()) return ConsoleWaitKey();
  ++screen.keyWaits;
  SleepMilliseconds(milliseconds);
  return "";
}

std::string ConsoleWaitKey() {
  ++screen.keyWaits;
  if (!screen.typedAhead.empty()) {
    std::string key = screen.typedAhead.front();
    screen.typedAhead.pop_front();
    return key;
  }
  if (screen.onKeyWait) screen.onKeyWait();
  if (screen.keys.empty()) return "\x1b";
  std::string key = screen.keys.front();
  screen.keys.pop_front();
  return key;
}

void ConsoleDiscardKeys() { screen.typedAhead.clear(); }
void ConsoleBeep() { ++screen.beeps; }
void ConsoleFlush() {}
void ConsoleClose() {}

void ConsoleSetEndRow(int) {}
