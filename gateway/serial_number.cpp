#include "gateway/serial_number.h"

#include <cstdio>

SerialNumber SerialNumber::FromPairs(const std::array<std::uint32_t, 4>& pairs) {
  std::uint64_t number = 0;
  for (std::uint32_t pair : pairs)
    number = number * 100 + pair;
  return SerialNumber(number);
}

std::array<std::uint8_t, 3> SerialNumber::MacBytes() const {
  return {static_cast<std::uint8_t>((Number >> 16) & 0xFF),
          static_cast<std::uint8_t>((Number >> 8) & 0xFF),
          static_cast<std::uint8_t>(Number & 0xFF)};
}

std::array<std::string, 4> SerialNumber::Pairs() const {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%08llu", static_cast<unsigned long long>(Number));
  const std::string text(digits);
  const std::size_t first = text.size() - 6;
  return {text.substr(0, first), text.substr(first, 2), text.substr(first + 2, 2),
          text.substr(first + 4, 2)};
}
