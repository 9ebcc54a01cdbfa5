#pragma once

#include <cstdint>

// Adds `n` to the MAC read as a 48-bit big-endian number (wrapping), for numbering gateways.
void AdvanceMac(std::uint8_t (&mac)[6], std::uint64_t n);
