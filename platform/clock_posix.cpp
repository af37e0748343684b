// The local clock on POSIX.
#include "platform/clock.h"

#include <ctime>
#include <thread>

#include "platform/console.h"

namespace {

std::string FormatNow(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

}  // namespace

std::string ClockTimeText() { return FormatNow("%H:%M:%S"); }

std::string ClockDateText() { return FormatNow("%m-%d-%Y"); }

void SleepMilliseconds(int milliseconds) {
  ConsoleFlush();
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
