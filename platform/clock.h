// The local clock as text, and sleeping.
#pragma once

#include <string>

struct ClockReading {
  std::string date;  // "MM-DD-YYYY"
  std::string time;  // "hh:mm:ss", 24-hour
  int millisecond = 0;
};

// The local date and time from one reading of the clock, so that midnight cannot fall
// between the date and the time.
ClockReading ReadClock();
// Flushes the console first, so that a whole frame is on screen while we sleep.
void SleepMilliseconds(int milliseconds);
