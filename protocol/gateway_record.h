#pragma once

#include <cstdint>

// One gateway's data as decoded from its information reply. Addresses hold the first number
// of the dotted form in their most significant byte (192.168.1.10 is 0xC0A8010A).
struct GatewayRecord {
  std::uint8_t Mac[6];
  std::uint32_t ActualIp;
  std::uint8_t UseDhcp;
  std::uint32_t Ip;
  std::uint32_t Port;  // holds a 16-bit number as received; "Set" sends its low 16 bits
  std::uint32_t Netmask;
  std::uint32_t GatewayIp;
  char Name[33];
  char Server[65];
  std::uint8_t UseProxy;
  char ProxyServer[65];
  std::uint32_t DnsIp;
};

// A record with zero numbers, zero flags, a zero MAC and empty texts.
inline constexpr GatewayRecord kEmptyGatewayRecord{};

// "%02X %02X %02X %02X %02X %02X": the gateway's identity in the list and its combo entry.
inline constexpr int kMacTextSize = 18;  // 17 characters and the NUL
void FormatMacText(const std::uint8_t mac[6], char (&text)[kMacTextSize]);
