#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One outgoing UDP datagram in a fixed buffer. The largest the simulator builds is the long
// hostile reply of 300 bytes; the buffer leaves room above that.
inline constexpr std::size_t kMaxDatagram = 512;

struct Datagram {
  std::array<std::uint8_t, kMaxDatagram> Bytes{};
  std::size_t Size = 0;
  const char* Kind = "reply";  // what it is, for the reply log: "reply" or a hostile variant
};
