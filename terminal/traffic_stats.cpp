#include "terminal/traffic_stats.h"

#include "protocol/text_values.h"

namespace {

// Taken in 64 bits: in 32 bits the product overflows from about 4.3 MB per period on.
std::uint32_t Rate(std::uint32_t counter, std::uint32_t atLastTick, std::uint32_t periodMs) {
  const std::uint32_t delta = counter - atLastTick;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(delta) * 1000u / periodMs);
}

}  // namespace

TrafficStats::Shown TrafficStats::Tick(const TrafficCounters& now, std::uint32_t periodMs) {
  Shown shown;
  shown.SentRate = Rate(now.BytesSent, AtLastTick.BytesSent, periodMs);
  shown.ReceivedRate = Rate(now.BytesReceived, AtLastTick.BytesReceived, periodMs);
  shown.CommandRate = Rate(now.CommandsReceived, AtLastTick.CommandsReceived, periodMs);
  AtLastTick = now;
  shown.Totals = now;
  return shown;
}

std::string TrafficStats::RateText(std::uint32_t rate) {
  return Format("%7.0f", static_cast<double>(static_cast<float>(rate)));
}
