#include "monitor/clock.h"

#include <gtest/gtest.h>

#include "platform/virtual.h"

namespace {

int32_t Seconds(std::string time, std::string date) { return DateTimeToSeconds(time, date); }

}  // namespace

TEST(DateToDayNumber, GivesJulianDayNumbers) {
  EXPECT_EQ(DateToDayNumber("01-01-1980"), 2444240);
  EXPECT_EQ(DateToDayNumber("01-01-2000"), 2451545);
  EXPECT_EQ(DateToDayNumber("02-29-2000"), 2451604);
  EXPECT_EQ(DateToDayNumber("03-01-2000"), 2451605);
}

TEST(DateTimeToSeconds, CountsFrom1980AndWrapsIn2048) {
  ResetVirtualConsole();
  EXPECT_EQ(Seconds("00:00:00", "01-01-1980"), 0);
  EXPECT_EQ(Seconds("12:34:56", "03-08-2021"), 1299674096);
  EXPECT_EQ(Seconds("03:14:07", "01-19-2048"), 2147483647);
  EXPECT_EQ(Seconds("03:14:08", "01-19-2048"), -2147483647 - 1);
  EXPECT_EQ(Seconds("23:59:59", "01-20-2048"), static_cast<int32_t>(static_cast<uint32_t>(24856LL * 86400 + 86399)));
  EXPECT_EQ(TheConsole().keyWaits, 0);
}

TEST(DateTimeToSeconds, TrimsTheCallersTexts) {
  std::string time = "  12:34:56 ", date = " 03-08-2021  ";
  EXPECT_EQ(DateTimeToSeconds(time, date), 1299674096);
  EXPECT_EQ(time, "12:34:56");
  EXPECT_EQ(date, "03-08-2021");
}

TEST(DateTimeToSeconds, OutOfRangeDatesWarnAndGiveZero) {
  for (const char* date : {"12-31-1979", "01-21-2048"}) {
    ResetVirtualConsole();
    TheConsole().keys.push_back("x");
    EXPECT_EQ(Seconds("10:00:00", date), 0);
    EXPECT_EQ(ScreenRowText(1).substr(0, 19), "Invalid date range!");
    EXPECT_EQ(ScreenRowText(2).substr(0, 16), std::string("Date: ") + date);
    EXPECT_EQ(ScreenRowText(3).substr(0, 14), "Time: 10:00:00");
    EXPECT_EQ(TheConsole().keyWaits, 1);
  }
}

TEST(SecondsToClockText, ShowsHoursMinutesSeconds) {
  auto text = [](int32_t s) { return SecondsToClockText(s); };
  EXPECT_EQ(text(0), "00:00:00");
  EXPECT_EQ(text(3661), "01:01:01");
  EXPECT_EQ(text(86399), "23:59:59");
  EXPECT_EQ(text(359999), "99:59:59");
  EXPECT_EQ(text(360000), "ERROR");
  EXPECT_EQ(text(-5), "00:00:-5");  // the clock set back while running
  EXPECT_EQ(text(-65), "00:-1:-5");
}
