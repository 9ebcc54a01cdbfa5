#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "protocol/ipv4.h"

// The protocol's values as people write them: on command lines, in logs and in the window.

using MacAddress = std::array<std::uint8_t, 6>;

// "a.b.c.d".
std::string DottedQuad(Ipv4 address);
// Exactly four decimal numbers of 0 to 255 separated by dots, nothing else.
std::optional<Ipv4> ParseDottedQuad(std::string_view text);

// Twelve hexadecimal digits, either case, optionally split into pairs by ':', '-', '.' or
// blanks: "02:00:00:00:00:01", "02-00-00-00-00-01", "02 00 00 00 00 01", "020000000001".
std::optional<MacAddress> ParseMac(std::string_view text);
// The protocol's MAC text, "02 00 00 00 00 01".
std::string MacText(const MacAddress& mac);
// The MAC a module's record holds.
struct GatewayRecord;
MacAddress MacOf(const GatewayRecord& record);
// The MAC as scripts and the line database write it, "02:00:00:00:00:01".
std::string ColonMac(const MacAddress& mac);

// The whole text as a number of type T in the base, or nothing: no sign where T has none, no
// blanks, no other character, nothing out of T's range.
template <class T>
std::optional<T> ParseNumber(std::string_view text, int base = 10) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}
// A decimal fraction such as 0.5 or 3, within [min, max].
std::optional<double> ParseFraction(std::string_view text, double min, double max);

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

// printf into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
