// The local clock on POSIX.
#include "platform/clock.h"

#include <ctime>
#include <thread>

#include "platform/console.h"

ClockReading ReadClock() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  char date[16], time[16];
  std::strftime(date, sizeof date, "%m-%d-%Y", &local);
  std::strftime(time, sizeof time, "%H:%M:%S", &local);
  return {date, time, static_cast<int>(now.tv_nsec / 1000000)};
}

void SleepMilliseconds(int milliseconds) {
  ConsoleFlush();
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
