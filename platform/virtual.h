// The virtual console, clock and sound that tests link instead of the real ones:
// a 140x43 grid of cells, scripted keys, a settable clock that each sleep advances.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/console.h"

struct VirtualCell {
  char32_t ch = U' ';  // the character shown: byte 177 of our own text is U+2592
  int foreground = 7;
  int background = 0;
};

struct VirtualConsole {
  VirtualCell cells[kScreenRows][kScreenColumns];
  int row = 1, column = 1;
  int foreground = 7, background = 0;
  bool cursorVisible = true;
  int cursorHeight = 25;
  std::string title;
  bool secondBuffer = false;
  int columns = 0, rows = 0;
  int beeps = 0;
  int keyWaits = 0;
  std::string transcript;        // everything printed, in order, line ends as "\n"
  std::deque<std::string> typedAhead;  // typed before the wait: answered first, unless discarded
  std::deque<std::string> keys;        // answered in order; an empty queue answers Esc
  std::function<void()> onKeyWait;
};

VirtualConsole& TheConsole();
void ResetVirtualConsole();
// The 140 characters of a screen row (counted from 1), as UTF-8.
std::string ScreenRowText(int row);
const VirtualCell& ScreenCell(int row, int column);

// Local time in seconds since 1970 (read as local), and milliseconds within the second.
void SetVirtualClock(int64_t seconds, int milliseconds = 0);
int64_t VirtualClockMilliseconds();
// Called on every sleep, after the clock has advanced.
void SetSleepHook(std::function<void()> hook);
int64_t SleptMilliseconds();

std::vector<std::string>& PlayedSounds();
