#pragma once

#include <cstdint>
#include <string>

// "a.b.c.d" of an address held with its first number in the most significant byte.
std::string DottedQuad(std::uint32_t address);
