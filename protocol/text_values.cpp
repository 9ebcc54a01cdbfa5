#include "protocol/text_values.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "protocol/gateway_record.h"

std::string DottedQuad(Ipv4 address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", address.Octet(0), address.Octet(1),
                address.Octet(2), address.Octet(3));
  return text;
}

std::optional<Ipv4> ParseDottedQuad(std::string_view text) {
  std::uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos || dot == 0 || dot > 3) return std::nullopt;
    const auto number = ParseNumber<unsigned>(text.substr(0, dot));
    if (!number || *number > 255) return std::nullopt;
    address = (address << 8) | *number;
    text.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return Ipv4::FromNumber(address);
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buffer);
}

namespace {

bool IsMacSeparator(char c) {
  return c == ':' || c == '-' || c == '.' || c == ' ';
}

}  // namespace

std::optional<MacAddress> ParseMac(std::string_view text) {
  MacAddress mac{};
  std::size_t digits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsMacSeparator(c)) {
      // A separator stands only between two pairs, once.
      if (digits == 0 || digits == 12 || digits % 2 != 0) return std::nullopt;
      if (i + 1 < text.size() && IsMacSeparator(text[i + 1])) return std::nullopt;
      continue;
    }
    const int value = HexDigitValue(c);
    if (value < 0 || digits == 12) return std::nullopt;
    mac[digits / 2] = static_cast<std::uint8_t>((mac[digits / 2] << 4) | value);
    ++digits;
  }
  if (digits != 12) return std::nullopt;
  return mac;
}

std::string MacText(const MacAddress& mac) {
  char text[kMacTextSize];
  FormatMacText(mac.data(), text);
  return text;
}

MacAddress MacOf(const GatewayRecord& record) {
  MacAddress mac;
  std::memcpy(mac.data(), record.Mac, mac.size());
  return mac;
}

std::string ColonMac(const MacAddress& mac) {
  return Format("%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

std::optional<double> ParseFraction(std::string_view text, double min, double max) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  if (text.empty() || error != std::errc() || stop != end || !(value >= min && value <= max))
    return std::nullopt;
  return value;
}
