#include "tools/gateway_sim/address_text.h"

#include <arpa/inet.h>

#include <cstdio>

#include "protocol/gateway_record.h"

bool ParseIpv4(std::string_view text, std::uint32_t& out) {
  char buffer[16];
  if (text.empty() || text.size() >= sizeof buffer) return false;
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  in_addr address{};
  if (inet_pton(AF_INET, buffer, &address) != 1) return false;
  out = ntohl(address.s_addr);
  return true;
}

std::string Ipv4Text(std::uint32_t ip) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF,
                ip & 0xFF);
  return text;
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsMacSeparator(char c) {
  return c == ':' || c == '-' || c == '.' || c == ' ';
}

}  // namespace

bool ParseMac(std::string_view text, std::uint8_t (&mac)[6]) {
  std::uint8_t parsed[6] = {};
  std::size_t digits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsMacSeparator(c)) {
      // A separator may only stand between two pairs, once.
      if (digits == 0 || digits == 12 || digits % 2 != 0) return false;
      if (i + 1 < text.size() && IsMacSeparator(text[i + 1])) return false;
      continue;
    }
    const int value = HexValue(c);
    if (value < 0 || digits == 12) return false;
    parsed[digits / 2] = static_cast<std::uint8_t>((parsed[digits / 2] << 4) | value);
    ++digits;
  }
  if (digits != 12) return false;
  for (int i = 0; i < 6; ++i)
    mac[i] = parsed[i];
  return true;
}

std::string MacText(const std::uint8_t mac[6]) {
  char text[kMacTextSize];
  FormatMacText(mac, text);
  return text;
}

void AdvanceMac(std::uint8_t (&mac)[6], std::uint64_t n) {
  std::uint64_t value = 0;
  for (const std::uint8_t byte : mac)
    value = (value << 8) | byte;
  value += n;
  for (int i = 5; i >= 0; --i) {
    mac[i] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
}
