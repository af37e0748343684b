// The local clock as text, and sleeping.
#pragma once

#include <string>

// "hh:mm:ss", 24-hour local time.
std::string ClockTimeText();
// "MM-DD-YYYY", local date.
std::string ClockDateText();
// Flushes the console first, so that a whole frame is on screen while we sleep.
void SleepMilliseconds(int milliseconds);
