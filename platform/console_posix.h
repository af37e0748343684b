// What the POSIX terminal console shares with its signal handlers: how to give the terminal
// back as it was, kept ready in a form a handler may use.
#pragma once

#include <signal.h>
#include <termios.h>

#include <cstddef>

struct TerminalRestore {
  termios saved{};                     // the terminal's mode before ours
  volatile sig_atomic_t rawTaken = 0;     // the terminal is in our raw mode
  volatile sig_atomic_t screenTaken = 0;  // the alternate screen is showing
  volatile sig_atomic_t titlePushed = 0;  // the terminal holds the user's title on its stack
  volatile sig_atomic_t resumed = 0;      // back from Ctrl+Z: take the terminal again and redraw
  volatile sig_atomic_t resized = 0;      // the window changed size: redraw it whole
  // The terminal's size before we asked for 140x43, as the request that gives it back; empty
  // when the terminal did not say its size.
  char restoreSize[32] = "";
  char endRow[16] = "";  // the cursor's place when a signal ends us, as its sequence
};

extern TerminalRestore terminalRestore;

// Writes all of data to the terminal; a terminal gone away ends us as a hang-up does.
void WriteAll(const char* data, size_t size);
// Gives the terminal back: colours, cursor, wrapping, size, main screen, title and mode.
void RestoreTerminal();
// Every signal that would end us gives the terminal back first; Ctrl+Z gives it back and fg takes
// it again; a resize asks for a redraw; a reset connection (SIGPIPE) ends nothing.
void CatchSignals();
