#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Numbers read from the texts of edit fields: leading blanks skipped, then digits up to the
// first other character. Nothing when the text holds no number, so that an empty field is
// never taken for 0. Values that would not fit saturate instead of wrapping.
std::optional<std::uint32_t> ReadDecimal(const std::string& text);
std::optional<std::uint32_t> ReadHex(const std::string& text);
