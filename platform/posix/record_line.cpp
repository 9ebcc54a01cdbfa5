#include "platform/posix/record_line.h"

#include <sys/time.h>

#include <cstdio>
#include <ctime>

#include "protocol/windows1252.h"

std::string LocalTimeStamp() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char stamp[40];
  const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
  const long offset = local.tm_gmtoff / 60;
  std::snprintf(stamp + length, sizeof stamp - length, ".%03ld%c%02ld:%02ld",
                static_cast<long>(now.tv_usec / 1000), offset < 0 ? '-' : '+',
                (offset < 0 ? -offset : offset) / 60, (offset < 0 ? -offset : offset) % 60);
  return stamp;
}

std::string RecordLine(const std::string& stamp, const std::string& text) {
  return stamp + " " + Windows1252ToVisibleUtf8(text) + "\n";
}
