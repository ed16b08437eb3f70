#include "core/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace omb {

DateTime SystemClock::now() const {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t SystemClock::steadyMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::steadyUs() const {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string formatDateTime(const DateTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

std::string formatTime(const DateTime& t) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

std::string formatTimeCompact(const DateTime& t) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour, t.minute, t.second);
  return buf;
}

}  // namespace omb
