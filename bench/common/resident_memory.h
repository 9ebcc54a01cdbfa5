#pragma once

#include <cstdint>

// This process's resident set in KiB, from /proc/self/statm; 0 when it cannot be read.
std::uint64_t ResidentKiB();
