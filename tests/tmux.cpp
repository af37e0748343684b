// tmux as the terminal of the end-to-end tests.
#include "tests/tmux.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Tmux(const TmuxSession& session, const std::string& arguments) {
  return RunCommand("tmux -L " + session.socket + " " + arguments + " 2>&1");
}

// Console colours order their bits blue, green, red; ANSI orders them red, green, blue.
int ConsoleColour(int ansi) { return ((ansi & 1) << 2) | (ansi & 2) | ((ansi & 4) >> 2); }

void ApplySgr(const std::string& parameters, int& foreground, int& background) {
  std::vector<int> codes;
  int value = 0;
  bool any = false;
  for (char c : parameters + ";") {
    if (c == ';') {
      codes.push_back(any ? value : 0);
      value = 0;
      any = false;
    } else if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      any = true;
    }
  }
  for (int code : codes) {
    if (code == 0) foreground = background = -1;
    else if (code >= 30 && code <= 37) foreground = ConsoleColour(code - 30);
    else if (code >= 90 && code <= 97) foreground = 8 + ConsoleColour(code - 90);
    else if (code == 39) foreground = -1;
    else if (code >= 40 && code <= 47) background = ConsoleColour(code - 40);
    else if (code >= 100 && code <= 107) background = 8 + ConsoleColour(code - 100);
    else if (code == 49) background = -1;
  }
}

}  // namespace

std::string RunCommand(const std::string& command) {
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, count);
    pclose(pipe);
  }
  return output;
}

bool TmuxAvailable() { return !RunCommand("command -v tmux").empty(); }

TmuxSession::~TmuxSession() {
  if (!socket.empty()) Tmux(*this, "kill-server");
}

bool StartInTmux(TmuxSession& session, const std::string& folder, const std::string& command) {
  session.socket = "dxvane-e2e-" + std::to_string(getpid()) + "-" + std::to_string(std::rand());
  std::string shell = "cd " + Quote(folder) + " && " + command + "; sleep 600";
  Tmux(session, "-f /dev/null new-session -d -s " + session.name + " -x " + std::to_string(session.columns) + " -y " +
                    std::to_string(session.rows) + " " + Quote("LANG=C.UTF-8 " + shell));
  Tmux(session, "set-option -t " + session.name + " status off");
  return Tmux(session, "has-session -t " + session.name).empty();
}

bool StartShellInTmux(TmuxSession& session, const std::string& folder, const std::string& shell) {
  return StartInTmux(session, folder, "PS1='$ ' " + shell);
}

void ResizeWindow(TmuxSession& session, int columns, int rows) {
  Tmux(session, "resize-window -t " + session.name + " -x " + std::to_string(columns) + " -y " + std::to_string(rows));
  session.columns = columns;
  session.rows = rows;
}

std::string WindowTitle(TmuxSession& session) {
  std::string title = Tmux(session, "display-message -p -t " + session.name + " '#{pane_title}'");
  if (!title.empty() && title.back() == '\n') title.pop_back();
  return title;
}

void RecordOutput(TmuxSession& session, const std::string& path) {
  Tmux(session, "pipe-pane -o -t " + session.name + " " + Quote("cat >> " + Quote(path)));
}

void SendKeys(TmuxSession& session, const std::string& keys) { Tmux(session, "send-keys -t " + session.name + " " + keys); }

std::string CapturePlain(TmuxSession& session) { return Tmux(session, "capture-pane -p -t " + session.name); }

CapturedScreen CaptureColoured(TmuxSession& session) {
  return ParseAnsiScreen(Tmux(session, "capture-pane -p -e -t " + session.name));
}

bool WaitForScreen(TmuxSession& session, const std::function<bool(const std::string&)>& found, int seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (found(CapturePlain(session))) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool WaitForText(TmuxSession& session, const std::string& text, int seconds) {
  return WaitForScreen(session, [&](const std::string& screen) { return screen.find(text) != std::string::npos; },
                       seconds);
}

CapturedScreen ParseAnsiScreen(const std::string& captured) {
  CapturedScreen screen(1);
  int foreground = -1, background = -1;
  for (size_t i = 0; i < captured.size(); ++i) {
    char c = captured[i];
    if (c == '\x1b' && i + 1 < captured.size() && captured[i + 1] == '[') {
      size_t end = captured.find_first_of("ABCDEFGHJKSTfmsu", i + 2);
      if (end == std::string::npos) break;
      if (captured[end] == 'm') ApplySgr(captured.substr(i + 2, end - i - 2), foreground, background);
      i = end;
    } else if (c == '\n') {
      screen.emplace_back();
    } else {
      size_t length = 1;  // a UTF-8 character stays whole
      unsigned char lead = static_cast<unsigned char>(c);
      if (lead >= 0xF0) length = 4;
      else if (lead >= 0xE0) length = 3;
      else if (lead >= 0xC0) length = 2;
      screen.back().push_back({captured.substr(i, length), foreground, background});
      i += length - 1;
    }
  }
  return screen;
}

std::string RowText(const CapturedScreen& screen, int row) {
  std::string text;
  if (row < 1 || row > static_cast<int>(screen.size())) return text;
  for (const ScreenCellRead& cell : screen[row - 1]) text += cell.ch;
  return text;
}
