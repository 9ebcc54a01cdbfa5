#pragma once

#include <cstdint>
#include <string>

// The terminal's traffic: bytes sent, bytes received and commands received. They wrap to 0
// after 2^32 - 1.
struct TrafficCounters {
  std::uint32_t BytesSent = 0;
  std::uint32_t BytesReceived = 0;
  std::uint32_t CommandsReceived = 0;
};

// The rates and totals shown once a second: each counter's growth since the last tick scaled
// to one second by the nominal period (the time that really passed is not measured), and its
// value at the tick.
class TrafficStats {
 public:
  struct Shown {
    std::uint32_t SentRate = 0, ReceivedRate = 0, CommandRate = 0;
    TrafficCounters Totals;
  };

  Shown Tick(const TrafficCounters& now, std::uint32_t periodMs);
  void Clear() { AtLastTick = {}; }

  // A rate as shown: the whole number right-aligned in seven characters.
  static std::string RateText(std::uint32_t rate);

 private:
  TrafficCounters AtLastTick;
};
