// The local clock on POSIX.
#include "platform/clock.h"

#include <cerrno>
#include <ctime>

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

// A signal (a resize, fg after Ctrl+Z) wakes the sleep: the screen is redrawn at once, then
// the sleep goes on for what is left of it.
void SleepMilliseconds(int milliseconds) {
  ConsoleFlush();
  timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) ConsoleFlush();
}
