#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// IPv4 and MAC addresses as the simulator reads them from its command line and prints them.
// Addresses are held like the protocol holds them: first dotted number in the top byte.

// Dotted form "a.b.c.d" only.
bool ParseIpv4(std::string_view text, std::uint32_t& out);
std::string Ipv4Text(std::uint32_t ip);

// Twelve hexadecimal digits, optionally split into pairs by ':', '-', '.' or blanks:
// "02:00:00:00:00:01", "02-00-00-00-00-01", "02 00 00 00 00 01", "020000000001".
bool ParseMac(std::string_view text, std::uint8_t (&mac)[6]);

// The protocol's MAC text, "02 00 00 00 00 01".
std::string MacText(const std::uint8_t mac[6]);

// Adds `n` to the MAC read as a 48-bit big-endian number (wrapping), for numbering gateways.
void AdvanceMac(std::uint8_t (&mac)[6], std::uint64_t n);
