// Running a real program in tmux at 140x43 and reading its screen back, colours included.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ScreenCellRead {
  std::string ch;       // one character as the terminal shows it (UTF-8)
  int foreground = -1;  // console colour 0-15, -1 for the terminal's default
  int background = -1;
};

using CapturedScreen = std::vector<std::vector<ScreenCellRead>>;

struct TmuxSession {
  std::string socket;
  std::string name = "e2e";
  int columns = 140, rows = 43;
  ~TmuxSession();
};

bool TmuxAvailable();
// Starts command (run by sh in folder) with the environment assignments given.
bool StartInTmux(TmuxSession& session, const std::string& folder, const std::string& command);
// An interactive shell with job control (prompt "$ "), for tests that type commands into it.
bool StartShellInTmux(TmuxSession& session, const std::string& folder,
                      const std::string& shell = "bash --norc --noprofile -i");
// Makes the terminal's window this size, as a person dragging its corner would.
void ResizeWindow(TmuxSession& session, int columns, int rows);
// The window title the terminal shows now.
std::string WindowTitle(TmuxSession& session);
// Keys as tmux send-keys names them ("y", "Enter", "Up", "F1", "-l text" for literal text).
void SendKeys(TmuxSession& session, const std::string& keys);
std::string CapturePlain(TmuxSession& session);
// Appends every byte the program writes to the terminal from now on to the file at path.
void RecordOutput(TmuxSession& session, const std::string& path);
CapturedScreen CaptureColoured(TmuxSession& session);
// Polls the screen until found says yes or the time runs out; true when it did.
bool WaitForScreen(TmuxSession& session, const std::function<bool(const std::string&)>& found, int seconds);
bool WaitForText(TmuxSession& session, const std::string& text, int seconds);
// Parses what capture-pane -e prints: text with SGR colour sequences.
CapturedScreen ParseAnsiScreen(const std::string& captured);
std::string RowText(const CapturedScreen& screen, int row);  // row counted from 1
// Runs a shell command and returns what it printed.
std::string RunCommand(const std::string& command);
