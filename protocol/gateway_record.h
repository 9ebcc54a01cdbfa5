#pragma once

#include <cstdint>

#include "protocol/ipv4.h"

// One gateway's data as decoded from its information reply.
struct GatewayRecord {
  std::uint8_t Mac[6];
  Ipv4 ActualIp;
  std::uint8_t UseDhcp;
  Ipv4 Ip;
  std::uint32_t Port;  // holds a 16-bit number as received; "Set" sends its low 16 bits
  Ipv4 Netmask;
  Ipv4 GatewayIp;
  char Name[33];
  char Server[65];
  std::uint8_t UseProxy;
  char ProxyServer[65];
  Ipv4 DnsIp;
};

// A record with zero numbers, zero flags, a zero MAC and empty texts.
inline constexpr GatewayRecord kEmptyGatewayRecord{};

// "%02X %02X %02X %02X %02X %02X": the gateway's identity in the list and its combo entry.
inline constexpr int kMacTextSize = 18;  // 17 characters and the NUL
void FormatMacText(const std::uint8_t mac[6], char (&text)[kMacTextSize]);
