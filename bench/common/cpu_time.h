#pragma once

#include <chrono>
#include <cstdlib>
#include <ctime>

// CPU time this process has used, all its threads. On a busy machine a rate per CPU second
// says what the program could take with a core of its own, where a rate per wall-clock second
// also measures the other processes.
inline double ProcessCpuSeconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// The machine's load over the last minute and its processor count, for the report's heading.
inline double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}
