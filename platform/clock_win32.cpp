// The local clock on Windows.
#include "platform/clock.h"

#include <windows.h>

#include <cstdio>

#include "platform/console.h"

ClockReading ReadClock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char date[16], time[16];
  std::snprintf(date, sizeof date, "%02u-%02u-%04u", now.wMonth, now.wDay, now.wYear);
  std::snprintf(time, sizeof time, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
  return {date, time, now.wMilliseconds};
}

void SleepMilliseconds(int milliseconds) {
  ConsoleFlush();
  Sleep(static_cast<DWORD>(milliseconds));
}
