#pragma once

#include <compare>
#include <cstdint>

// An IPv4 address: four numbers, written first to last in dotted text and on the wire. Held as
// one number with the first in its top byte (192.168.1.10 is 0xC0A8010A); only the socket
// layer turns it into the system's byte order, so that no address can be handed on in the
// other order unnoticed.
class Ipv4 {
 public:
  constexpr Ipv4() = default;
  constexpr Ipv4(std::uint8_t first, std::uint8_t second, std::uint8_t third, std::uint8_t fourth)
      : Value((static_cast<std::uint32_t>(first) << 24) |
              (static_cast<std::uint32_t>(second) << 16) |
              (static_cast<std::uint32_t>(third) << 8) | fourth) {}
  // The number with the first octet in the top byte.
  static constexpr Ipv4 FromNumber(std::uint32_t number) {
    Ipv4 address;
    address.Value = number;
    return address;
  }
  constexpr std::uint32_t Number() const { return Value; }
  // Octet 0 (the first) to 3.
  constexpr std::uint8_t Octet(int k) const {
    return static_cast<std::uint8_t>(Value >> (24 - 8 * k));
  }
  constexpr bool IsAny() const { return Value == 0; }
  static constexpr Ipv4 Broadcast() { return FromNumber(0xFFFFFFFFu); }

  constexpr auto operator<=>(const Ipv4&) const = default;

 private:
  std::uint32_t Value = 0;
};
