#include "tools/gateway_sim/reply_faults.h"

ReplyFaults::ReplyFaults(const ReplyFaultOptions& options)
    : options_(options), random_(options.Seed) {}

std::size_t ReplyFaults::Plan(std::int64_t nowMs, std::int64_t* due, std::size_t max) {
  const std::size_t copies = 1 + static_cast<std::size_t>(options_.Duplicates);
  std::size_t planned = 0;
  for (std::size_t copy = 0; copy < copies && planned < max; ++copy) {
    if (options_.Loss > 0.0) {
      // 53 random bits give a uniform number in [0, 1).
      const double draw = static_cast<double>(random_() >> 11) * 0x1.0p-53;
      if (draw < options_.Loss) continue;
    }
    std::int64_t wait = options_.DelayMs;
    if (options_.JitterMs > 0)
      wait += static_cast<std::int64_t>(random_() %
                                        (static_cast<std::uint64_t>(options_.JitterMs) + 1));
    due[planned++] = nowMs + wait;
  }
  return planned;
}
