#pragma once

#include <cstdint>
#include <string>

// Numbers read from edit texts the way the handlers read them: leading blanks skipped, then
// digits up to the first other character. A text that holds no number yields 0. Values that
// would not fit saturate instead of wrapping.
std::uint32_t ParseDecimal(const std::string& text);
std::uint32_t ParseHex(const std::string& text);

// Formats with printf conventions into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
