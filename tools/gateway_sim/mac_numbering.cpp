#include "tools/gateway_sim/mac_numbering.h"

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
