#include "gateway/new_mac_rules.h"

#include <algorithm>

std::optional<std::string> UnusableMacReason(const MacAddress& mac) {
  const auto all = [&](std::uint8_t value) {
    return std::all_of(mac.begin(), mac.end(), [value](std::uint8_t b) { return b == value; });
  };
  if (all(0xFF)) return "the broadcast MAC";
  if ((mac[0] & 0x01) != 0) return "a multicast MAC (the first byte is odd)";
  if (all(0x00)) return "all zero";
  return std::nullopt;
}
