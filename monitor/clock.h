// Run-time arithmetic: local date and time texts to seconds since 1980-01-01, and back
// to an HH:MM:SS duration.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t kEpochDayNumber = 2444240;  // 1980-01-01
inline constexpr int32_t kDaysInRange = 24857;       // to 2048-01-20

// Trims both texts in place ("hh:mm:ss", "MM-DD-YYYY"). Outside the range it shows
// "Invalid date range!", waits for a key and returns 0. Wraps like a 32-bit count.
int32_t DateTimeToSeconds(std::string& timeText, std::string& dateText);
// DateTimeToSeconds of one reading of the local clock.
int32_t SecondsNow();
// Julian Day Number of an "MM-DD-YYYY" text (ACM Algorithm 199).
int32_t DateToDayNumber(const std::string& dateText);
// "HH:MM:SS", or "ERROR" above 99:59:59.
std::string SecondsToClockText(const int32_t& seconds);
