#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/gateway_record.h"

// A module's record with every field set to something that shows: MAC 02 00 00 12 34 56
// (serial number 1193046), address in use and IP 192.168.1.50, netmask 255.255.255.0, default
// gateway 192.168.1.1, DNS 8.8.8.8, port 8080, DHCP off and proxy on, name "line-3-station-12",
// server "collector.plant.example", proxy "proxy.plant.example".
GatewayRecord SampleRecord();

// A record with the MAC 02 00 00 00 00 <last> (or <first> 00 00 00 00 <last>) and nothing else.
GatewayRecord RecordWithMac(std::uint8_t last, std::uint8_t first = 0x02);

// Lower-case hexadecimal of bytes, as the simulator prints them.
std::string Hex(std::span<const std::uint8_t> bytes);
// The bytes of hexadecimal text (of either case).
std::vector<std::uint8_t> FromHex(std::string_view hex);
