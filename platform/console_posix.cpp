// The console on a POSIX terminal: ANSI sequences, raw keys, the alternate screen.
// Output is gathered and written once per frame so that a redraw never flickers.
#include "platform/console.h"

#include <poll.h>
#include <strings.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <langinfo.h>

#include "common/unicode.h"
#include "platform/files.h"
#include "platform/keys.h"

namespace {

struct Terminal {
  bool opened = false;
  bool raw = false;
  bool utf8 = false;
  termios saved{};
  std::string output;
  std::string pendingKeys;
  int row = 1, column = 1;
  int terminalRows = kScreenRows, terminalColumns = kScreenColumns;
  int wantedRows = 0, wantedColumns = 0;
};

Terminal terminal;

// Written as they stand from a signal handler, so they must be complete beforehand.
constexpr char kRestoreSequence[] = "\x1b[0m\x1b[?25h\x1b[0 q\x1b[?7h";
constexpr char kLeaveSecondBuffer[] = "\x1b[?1049l";
volatile sig_atomic_t usingSecondBuffer = 0;

void WriteAll(const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(STDOUT_FILENO, data, size);
    if (written <= 0) return;
    data += written;
    size -= static_cast<size_t>(written);
  }
}

void RestoreTerminal() {
  WriteAll(kRestoreSequence, sizeof kRestoreSequence - 1);
  if (usingSecondBuffer) WriteAll(kLeaveSecondBuffer, sizeof kLeaveSecondBuffer - 1);
  usingSecondBuffer = 0;
  if (terminal.raw) tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminal.saved);
}

void OnSignal(int signalNumber) {
  RestoreTerminal();
  RemoveUnfinishedFile();  // a half-written logbook copy must not be left behind
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// The terminal's character set is the locale's, whatever its name is spelt like.
bool LocaleIsUtf8() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0);
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

void MoveTerminalCursor() {
  Append("\x1b[" + std::to_string(terminal.row) + ";" + std::to_string(terminal.column) + "H");
}

int AnsiColour(int console) {
  // The console palette orders its bits blue, green, red; ANSI orders them red, green, blue.
  return ((console & 1) << 2) | (console & 2) | ((console & 4) >> 2);
}

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

bool ReadPendingBytes(int waitMilliseconds) {
  pollfd in{STDIN_FILENO, POLLIN, 0};
  if (poll(&in, 1, waitMilliseconds) <= 0) return true;
  char bytes[64];
  ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
  if (count <= 0) return false;  // input closed
  terminal.pendingKeys.append(bytes, static_cast<size_t>(count));
  return true;
}

// One character in the cell at the cursor; cells beyond a smaller terminal are skipped.
void PutCell(char32_t c, bool& placed) {
  if (terminal.column > kScreenColumns) {
    ConsoleNewLine();
    placed = true;
  }
  if (Visible(terminal.row, terminal.column)) {
    if (!placed) MoveTerminalCursor();
    placed = true;
    terminal.output += CellBytes(c);
  } else {
    placed = false;
  }
  ++terminal.column;
}

}  // namespace

void ConsoleOpen() {
  if (terminal.opened) return;
  terminal.opened = true;
  terminal.utf8 = LocaleIsUtf8();
  if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &terminal.saved) == 0) {
    termios raw = terminal.saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);  // ISIG stays: Ctrl+C ends us
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    terminal.raw = tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signalNumber, &action, nullptr);
  std::atexit(ConsoleClose);
  ReadTerminalSize();
  Append("\x1b[?7l");  // we wrap lines ourselves, at column 140
}

void ConsoleSetTitle(const std::string& title) { Append("\x1b]0;" + title + "\x07"); }

void ConsoleUseSecondBuffer() {
  Append("\x1b[?1049h");
  usingSecondBuffer = 1;
}

void ConsoleSetSize(int columns, int rows) {
  terminal.wantedColumns = columns;
  terminal.wantedRows = rows;
  Append("\x1b[8;" + std::to_string(rows) + ";" + std::to_string(columns) + "t");
}

void ConsoleSetColour(int foreground, int background) {
  int fg = (foreground & 8 ? 90 : 30) + AnsiColour(foreground & 7);
  int bg = (background & 8 ? 100 : 40) + AnsiColour(background & 7);
  Append("\x1b[0;" + std::to_string(fg) + ";" + std::to_string(bg) + "m");
}

void ConsoleLocate(int row, int column) {
  terminal.row = std::max(1, std::min(row, kScreenRows));
  terminal.column = std::max(1, std::min(column, kScreenColumns));
  MoveTerminalCursor();
}

void ConsoleShowCursor(bool visible) { Append(visible ? "\x1b[?25h" : "\x1b[?25l"); }

void ConsoleSetCursorHeight(int percent) { Append(percent >= 50 ? "\x1b[2 q" : "\x1b[4 q"); }

void ConsoleClear() {
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
  for (char32_t c : DecodeCharacters(text)) PutCell(IsControlCharacter(c) ? U'?' : c, placed);
}

void ConsoleNewLine() {
  if (terminal.row >= kScreenRows) {
    Append("\x1b[" + std::to_string(std::min(kScreenRows, terminal.terminalRows)) + ";1H\n");  // scrolls
    terminal.column = 1;
    return;
  }
  ConsoleLocate(terminal.row + 1, 1);
}

std::string ConsoleWaitKey() {
  ConsoleFlush();
  for (;;) {
    bool inputOpen = true;
    if (!HoldsWholeKey(terminal.pendingKeys)) inputOpen = ReadPendingBytes(20);
    // A lone Esc may be the start of a sequence still arriving: give it one more poll.
    else if (terminal.pendingKeys == "\x1b") inputOpen = ReadPendingBytes(20);
    if (HoldsWholeKey(terminal.pendingKeys)) {
      size_t used = 0;
      std::string key = KeyTextFromBytes(terminal.pendingKeys, used);
      terminal.pendingKeys.erase(0, used);
      if (!key.empty()) return key;
    } else if (!inputOpen) {
      terminal.pendingKeys.clear();
      return "\x1b";  // input is closed: every wait ends as if Esc were pressed
    }
  }
}

void ConsoleBeep() { Append("\a"); }

void ConsoleFlush() {
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
