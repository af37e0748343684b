// The console on a POSIX terminal: ANSI sequences, raw keys, the alternate screen.
// What the screen holds is kept as a grid of cells apart from the bytes that reach the
// terminal: output is gathered and written once per frame so that a redraw never flickers,
// and after Ctrl+Z and fg the whole screen is drawn again from the grid.
#include "platform/console.h"
#include "platform/console_posix.h"

#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "common/unicode.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/sound.h"

namespace {

struct Cell {
  char32_t ch = U' ';
  int foreground = kLightGrey;
  int background = kBlack;
};

struct Terminal {
  bool opened = false;
  bool raw = false;
  bool utf8 = false;
  termios rawMode{};
  std::string output;
  std::string pendingKeys;
  std::string title;
  bool secondBuffer = false;
  bool cursorVisible = true;
  int cursorHeight = 0;  // 0 until the program sets it: the terminal's own shape
  int row = 1, column = 1;
  int foreground = kLightGrey, background = kBlack;
  int terminalRows = kScreenRows, terminalColumns = kScreenColumns;
  int wantedRows = 0, wantedColumns = 0;
  Cell cells[kScreenRows][kScreenColumns];
};

Terminal terminal;

constexpr int kSizeAnswerMilliseconds = 100;
constexpr int kSequenceWaitMilliseconds = 100;  // an escape sequence split over a slow link
constexpr int kKeyPollMilliseconds = 20;

// The terminal's character set is the locale's, whatever its name is spelt like.
bool LocaleIsUtf8() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0);
}

void TakeRawMode() {
  if (!isatty(STDIN_FILENO)) return;
  if (!terminal.raw) {
    if (tcgetattr(STDIN_FILENO, &terminalRestore.saved) != 0) return;
    terminal.rawMode = terminalRestore.saved;
    terminal.rawMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);  // ISIG stays: Ctrl+C ends us
    terminal.rawMode.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    terminal.rawMode.c_cc[VMIN] = 0;
    terminal.rawMode.c_cc[VTIME] = 0;
  }
  // Started in the background, or sent there with bg: the terminal is the shell's, and this
  // stops us ("Stopped (tty output)") until fg gives it to us, as every terminal program does.
  terminal.raw = tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminal.rawMode) == 0;
  terminalRestore.rawTaken = terminal.raw;
}

// The bytes that show character c in one cell: UTF-8, or the locale's own single byte.
// A character the terminal cannot show in one cell becomes "?" (the shade block "#").
std::string CellBytes(char32_t c) {
  std::string bytes;
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (terminal.utf8 && wcwidth(static_cast<wchar_t>(c)) == 1) {
    AppendUtf8(bytes, c);
    return bytes;
  }
  if (!terminal.utf8) {
    char buffer[MB_LEN_MAX];
    std::mbstate_t state{};
    if (std::wcrtomb(buffer, static_cast<wchar_t>(c), &state) == 1) return std::string(1, buffer[0]);
  }
  return c == U'\u2592' ? "#" : "?";
}

void ReadTerminalSize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    terminal.terminalRows = size.ws_row;
    terminal.terminalColumns = size.ws_col;
  }
}

void Append(const std::string& text) { terminal.output += text; }

std::string CursorTo(int row, int column) {
  return "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
}

void MoveTerminalCursor() { Append(CursorTo(terminal.row, terminal.column)); }

int AnsiColour(int console) {
  // The console palette orders its bits blue, green, red; ANSI orders them red, green, blue.
  return ((console & 1) << 2) | (console & 2) | ((console & 4) >> 2);
}

std::string ColourSequence(int foreground, int background) {
  int fg = (foreground & 8 ? 90 : 30) + AnsiColour(foreground & 7);
  int bg = (background & 8 ? 100 : 40) + AnsiColour(background & 7);
  return "\x1b[0;" + std::to_string(fg) + ";" + std::to_string(bg) + "m";
}

std::string CursorShape(int height) { return height == 0 ? "\x1b[0 q" : height >= 50 ? "\x1b[2 q" : "\x1b[4 q"; }

bool Visible(int row, int column) {
  return row <= terminal.terminalRows && column <= terminal.terminalColumns;
}

// A terminal smaller than the layout gets a one-line notice on its last row.
void AppendSizeNotice() {
  if (terminal.wantedRows == 0) return;
  if (terminal.terminalRows >= terminal.wantedRows && terminal.terminalColumns >= terminal.wantedColumns) return;
  std::string notice = " Please make this terminal " + std::to_string(terminal.wantedColumns) + "x" +
                       std::to_string(terminal.wantedRows) + " (it is " + std::to_string(terminal.terminalColumns) +
                       "x" + std::to_string(terminal.terminalRows) + ") ";
  notice.resize(std::min<size_t>(notice.size(), terminal.terminalColumns));
  Append("\x1b" "7\x1b[" + std::to_string(terminal.terminalRows) + ";1H\x1b[0;7m" + notice + "\x1b[0m\x1b" "8");
}

void AppendTitle() {
  if (terminal.title.empty()) return;
  if (!terminalRestore.titlePushed) Append("\x1b[22;0t");  // the user's title, given back at the end
  terminalRestore.titlePushed = 1;
  Append("\x1b]0;" + terminal.title + "\x07");
}

// The whole screen from the grid, after fg: whatever the terminal showed meanwhile is gone.
std::string Repaint() {
  std::string frame = terminal.secondBuffer ? "\x1b[?1049h" : "";
  frame += "\x1b[?7l\x1b[?25l";
  int fg = -1, bg = -1;
  for (int r = 1; r <= std::min(kScreenRows, terminal.terminalRows); ++r) {
    frame += CursorTo(r, 1);
    for (int c = 1; c <= std::min(kScreenColumns, terminal.terminalColumns); ++c) {
      const Cell& cell = terminal.cells[r - 1][c - 1];
      if (cell.foreground != fg || cell.background != bg) frame += ColourSequence(cell.foreground, cell.background);
      fg = cell.foreground;
      bg = cell.background;
      frame += CellBytes(cell.ch);
    }
  }
  frame += ColourSequence(terminal.foreground, terminal.background) + CursorShape(terminal.cursorHeight);
  frame += CursorTo(terminal.row, std::min(terminal.column, kScreenColumns));
  if (terminal.cursorVisible) frame += "\x1b[?25h";
  return frame;
}

std::string SizeRequest(int rows, int columns) {
  return "\x1b[8;" + std::to_string(rows) + ";" + std::to_string(columns) + "t";
}

void TakeTerminalAgain() {
  terminalRestore.resumed = 0;
  terminalRestore.resized = 0;
  TakeRawMode();
  terminal.output.clear();  // what it held is in the grid already
  terminalRestore.screenTaken = terminal.secondBuffer;
  AppendTitle();
  if (terminalRestore.restoreSize[0] && terminal.wantedRows > 0) Append(SizeRequest(terminal.wantedRows, terminal.wantedColumns));
  ReadTerminalSize();
  Append(Repaint());
}

// A new window size: the whole screen again from the grid, the size notice gone when it fits.
void RepaintResized() {
  terminalRestore.resized = 0;
  ReadTerminalSize();
  terminal.output.clear();
  Append("\x1b[0m\x1b[2J" + Repaint());
}

// Waits up to waitMilliseconds for typed bytes; false when none came.
bool ReadPendingBytes(int waitMilliseconds) {
  pollfd in{STDIN_FILENO, POLLIN, 0};
  if (poll(&in, 1, waitMilliseconds) <= 0) return false;
  char bytes[64];
  ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) return false;
  if (count <= 0) raise(SIGHUP);  // the terminal is gone
  if (count <= 0) return false;
  terminal.pendingKeys.append(bytes, static_cast<size_t>(count));
  return true;
}

// Asks the terminal its size in characters (CSI 18 t, answered CSI 8;rows;columns t) and keeps
// the request that gives it back; keys typed meanwhile stay for the key waits. False when it
// says nothing within kSizeAnswerMilliseconds.
bool AskTerminalSize() {
  WriteAll("\x1b[18t", 5);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSizeAnswerMilliseconds);
  for (;;) {
    std::string& keys = terminal.pendingKeys;
    size_t start = keys.find("\x1b[8;");
    size_t end = start == std::string::npos ? std::string::npos : keys.find('t', start);
    if (end != std::string::npos) {
      int rows = 0, columns = 0;
      bool read = std::sscanf(keys.c_str() + start, "\x1b[8;%d;%dt", &rows, &columns) == 2 && rows > 0 && columns > 0;
      keys.erase(start, end + 1 - start);
      if (read) std::snprintf(terminalRestore.restoreSize, sizeof terminalRestore.restoreSize, "\x1b[8;%d;%dt", rows, columns);
      return read;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    ReadPendingBytes(static_cast<int>(left));
  }
}

// One character in the cell at the cursor; cells beyond a smaller terminal are skipped.
void PutCell(char32_t c, bool& placed) {
  if (terminal.column > kScreenColumns) {
    ConsoleNewLine();
    placed = true;
  }
  terminal.cells[terminal.row - 1][terminal.column - 1] = Cell{c, terminal.foreground, terminal.background};
  if (Visible(terminal.row, terminal.column)) {
    if (!placed) MoveTerminalCursor();
    placed = true;
    if (c < 0x80) terminal.output += static_cast<char>(c);
    else terminal.output += CellBytes(c);
  } else {
    placed = false;
  }
  ++terminal.column;
}

void ScrollCells() {
  for (int r = 1; r < kScreenRows; ++r)
    for (int c = 0; c < kScreenColumns; ++c) terminal.cells[r - 1][c] = terminal.cells[r][c];
  for (Cell& cell : terminal.cells[kScreenRows - 1]) cell = Cell{U' ', terminal.foreground, terminal.background};
}

}  // namespace

std::string ConsoleProblem() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
    return "needs a terminal to run in (standard input and output are not one)";
  const char* type = std::getenv("TERM");
  if (!type || !*type) return "needs a terminal that shows colours and moves the cursor, and TERM is not set";
  if (std::strcmp(type, "dumb") == 0) return "needs a terminal that shows colours and moves the cursor, and TERM=dumb is not one";
  return "";
}

void ConsoleOpen() {
  if (terminal.opened) return;
  terminal.opened = true;
  terminal.utf8 = LocaleIsUtf8();
  TakeRawMode();
  CatchSignals();
  std::atexit(ConsoleClose);
  ReadTerminalSize();
  Append("\x1b[?7l");  // we wrap lines ourselves, at column 140
}

void ConsoleSetTitle(const std::string& title) {
  terminal.title = title;
  AppendTitle();
}

void ConsoleUseSecondBuffer() {
  Append("\x1b[?1049h");
  terminal.secondBuffer = true;
  terminalRestore.screenTaken = 1;
}

// The size is asked for only where the terminal said its own, so that it can be given back at
// the end and on Ctrl+Z.
void ConsoleSetSize(int columns, int rows) {
  terminal.wantedColumns = columns;
  terminal.wantedRows = rows;
  ConsoleFlush();
  if (!isatty(STDIN_FILENO) || !AskTerminalSize()) return;
  Append(SizeRequest(rows, columns));
}

void ConsoleSetColour(int foreground, int background) {
  terminal.foreground = foreground;
  terminal.background = background;
  Append(ColourSequence(foreground, background));
}

void ConsoleLocate(int row, int column) {
  terminal.row = std::max(1, std::min(row, kScreenRows));
  terminal.column = std::max(1, std::min(column, kScreenColumns));
  MoveTerminalCursor();
}

void ConsoleShowCursor(bool visible) {
  terminal.cursorVisible = visible;
  Append(visible ? "\x1b[?25h" : "\x1b[?25l");
}

void ConsoleSetCursorHeight(int percent) {
  terminal.cursorHeight = percent;
  Append(CursorShape(percent));
}

void ConsoleClear() {
  for (auto& row : terminal.cells)
    for (Cell& cell : row) cell = Cell{U' ', terminal.foreground, terminal.background};
  Append("\x1b[2J");
  ConsoleLocate(1, 1);
}

void ConsolePrint(const std::string& text) {
  bool placed = true;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    PutCell(byte == 177 ? U'\u2592' : byte, placed);  // 177 is the shade block of code page 437
  }
}

void ConsolePrintText(const std::string& text) {
  bool placed = true;
  if (IsAscii(text)) {
    for (char c : text) PutCell(IsControlCharacter(static_cast<unsigned char>(c)) ? U'?' : static_cast<unsigned char>(c), placed);
    return;
  }
  for (char32_t c : DecodeCharacters(text)) PutCell(IsControlCharacter(c) ? U'?' : c, placed);
}

void ConsoleNewLine() {
  if (terminal.row >= kScreenRows) {
    ScrollCells();
    Append("\x1b[" + std::to_string(std::min(kScreenRows, terminal.terminalRows)) + ";1H\n");  // scrolls
    terminal.column = 1;
    return;
  }
  ConsoleLocate(terminal.row + 1, 1);
}

// A lone Esc, or the first bytes of a sequence: the rest may come split over a slow link.
bool MayBeCutShort(const std::string& keys) { return !HoldsWholeKey(keys) || keys == "\x1b"; }

std::string ConsoleWaitKeyFor(int milliseconds) {
  ConsoleFlush();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
  for (;;) {
    if (terminalRestore.resumed || terminalRestore.resized) ConsoleFlush();
    if (terminal.pendingKeys.empty()) {
      if (milliseconds >= 0 && std::chrono::steady_clock::now() >= deadline) return "";
      ReadPendingBytes(kKeyPollMilliseconds);
      continue;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSequenceWaitMilliseconds);
    while (MayBeCutShort(terminal.pendingKeys) && std::chrono::steady_clock::now() < deadline) ReadPendingBytes(10);
    // A sequence still cut off (Alt+[ and nothing after it) is taken as it stands, as an unknown key.
    size_t used = 0;
    std::string key = KeyTextFromBytes(terminal.pendingKeys, used);
    terminal.pendingKeys.erase(0, std::max<size_t>(used, 1));
    if (!key.empty()) return key;
  }
}

std::string ConsoleWaitKey() { return ConsoleWaitKeyFor(-1); }

void ConsoleDiscardKeys() {
  if (isatty(STDIN_FILENO)) tcflush(STDIN_FILENO, TCIFLUSH);
  terminal.pendingKeys.clear();
}

void ConsoleBeep() { Append("\a"); }

void ConsoleFlush() {
  if (terminalRestore.resumed) TakeTerminalAgain();
  else if (terminalRestore.resized) RepaintResized();
  if (terminal.output.empty()) return;
  ReadTerminalSize();
  AppendSizeNotice();
  WriteAll(terminal.output.data(), terminal.output.size());
  terminal.output.clear();
}

void ConsoleClose() {
  if (!terminal.opened) return;
  ConsoleFlush();
  RestoreTerminal();
  terminal.opened = false;
  terminal.raw = false;
}

void ConsoleSetEndRow(int row) {
  terminalRestore.endRow[0] = 0;
  if (row > 0) std::snprintf(terminalRestore.endRow, sizeof terminalRestore.endRow, "\x1b[%d;1H", row);
}
