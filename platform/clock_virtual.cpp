// The virtual clock: set by tests, advanced by every sleep, so long waits take no time.
#include <ctime>

#include "platform/clock.h"
#include "platform/virtual.h"

namespace {

int64_t nowMilliseconds = 0;
int64_t slept = 0;
std::function<void()> sleepHook;

std::string Format(const char* format) {
  std::time_t seconds = static_cast<std::time_t>(nowMilliseconds / 1000);
  std::tm parts = *std::gmtime(&seconds);  // the virtual clock's seconds are local time already
  char text[32];
  std::strftime(text, sizeof text, format, &parts);
  return text;
}

}  // namespace

void SetVirtualClock(int64_t seconds, int milliseconds) {
  nowMilliseconds = seconds * 1000 + milliseconds;
  slept = 0;
}

int64_t VirtualClockMilliseconds() { return nowMilliseconds; }
void SetSleepHook(std::function<void()> hook) { sleepHook = std::move(hook); }
int64_t SleptMilliseconds() { return slept; }

ClockReading ReadClock() { return {Format("%m-%d-%Y"), Format("%H:%M:%S"), static_cast<int>(nowMilliseconds % 1000)}; }

void SleepMilliseconds(int milliseconds) {
  nowMilliseconds += milliseconds;
  slept += milliseconds;
  if (sleepHook) sleepHook();
}
