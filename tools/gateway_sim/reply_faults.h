#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "tools/gateway_sim/options.h"

// The imperfect network of the simulation: decides for each outgoing datagram how many
// copies go out and when. Seeded, so a run can be repeated.
class ReplyFaults {
 public:
  explicit ReplyFaults(const ReplyFaultOptions& options);

  // Writes the due time of every copy to be sent (1 + duplicates, less the lost ones) into
  // `due`, at most `max`, and returns how many.
  std::size_t Plan(std::int64_t nowMs, std::int64_t* due, std::size_t max);

  static constexpr std::size_t kMaxCopies = 101;

 private:
  ReplyFaultOptions options_;
  std::mt19937_64 random_;
};
