#pragma once

#include <time.h>
#include <cstdint>

// Every deadline of the simulator (reply delays, reboots, TCP line pacing) is counted in
// milliseconds on the monotonic clock, so a change of the wall clock cannot disturb it.
inline std::int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The earlier of two deadlines, a negative one meaning "none".
inline std::int64_t EarliestMs(std::int64_t a, std::int64_t b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return a < b ? a : b;
}
