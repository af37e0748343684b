// Date and time arithmetic for the run time.
#include "monitor/clock.h"

#include "common/text.h"
#include "platform/clock.h"
#include "platform/console.h"

namespace {

std::string TwoDigits(int32_t value) { return Right("00" + std::to_string(value), 2); }

void ShowInvalidDate(const std::string& timeText, const std::string& dateText) {
  ConsolePrintLine("Invalid date range!");
  ConsolePrintLine("Date: " + dateText);
  ConsolePrintLine("Time: " + timeText);
  ConsoleWaitKey();
}

}  // namespace

int32_t DateToDayNumber(const std::string& dateText) {
  int64_t month = TextToWholeNumber(Mid(dateText, 1, 2));
  int64_t day = TextToWholeNumber(Mid(dateText, 4, 2));
  int64_t year = TextToWholeNumber(Right(dateText, 4));
  if (month > 2) {
    month -= 3;
  } else {
    month += 9;
    year -= 1;
  }
  int64_t century = year / 100;
  int64_t yearOfCentury = year % 100;
  int64_t result = (146097 * century) / 4 + (1461 * yearOfCentury) / 4 + (153 * month + 2) / 5 + day + 1721119;
  return static_cast<int32_t>(static_cast<uint32_t>(result));
}

int32_t DateTimeToSeconds(std::string& timeText, std::string& dateText) {
  timeText = TrimBlanks(timeText);
  dateText = TrimBlanks(dateText);
  int64_t days = static_cast<int64_t>(DateToDayNumber(dateText)) - kEpochDayNumber;
  int64_t secondsOfDay = int64_t{TextToWholeNumber(Mid(timeText, 1, 2))} * 3600 + TextToWholeNumber(Mid(timeText, 4, 2)) * 60 +
                         TextToWholeNumber(Right(timeText, 2));
  if (days < 0 || days >= kDaysInRange) {
    ShowInvalidDate(timeText, dateText);
    return 0;
  }
  // A 32-bit count that wraps from 2048-01-19 03:14:08 on; only differences are used.
  return static_cast<int32_t>(static_cast<uint32_t>(days * 86400 + secondsOfDay));
}

std::string SecondsToClockText(const int32_t& seconds) {
  if (seconds > 359999) return "ERROR";
  int32_t hours = seconds / 3600;
  int32_t minutes = (seconds - 3600 * hours) / 60;
  int32_t rest = seconds - 3600 * hours - 60 * minutes;
  return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(rest);
}

int32_t SecondsNow() {
  ClockReading now = ReadClock();
  return DateTimeToSeconds(now.time, now.date);
}
