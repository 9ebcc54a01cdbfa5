#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/ipv4.h"

// Big-endian helpers for the fixed message layouts.

inline void PutU16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  at[1] = static_cast<std::uint8_t>(value & 0xFF);
}

inline void PutU32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>((value >> 16) & 0xFF);
  at[2] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  at[3] = static_cast<std::uint8_t>(value & 0xFF);
}

inline std::uint32_t GetU16(const std::uint8_t* at) {
  return (static_cast<std::uint32_t>(at[0]) << 8) | at[1];
}

inline std::uint32_t GetU32(const std::uint8_t* at) {
  return (static_cast<std::uint32_t>(at[0]) << 24) | (static_cast<std::uint32_t>(at[1]) << 16) |
         (static_cast<std::uint32_t>(at[2]) << 8) | at[3];
}

// An address travels as its four numbers, the first first.
inline void PutIpv4(std::uint8_t* at, Ipv4 address) {
  PutU32(at, address.Number());
}

inline Ipv4 GetIpv4(const std::uint8_t* at) {
  return Ipv4::FromNumber(GetU32(at));
}
