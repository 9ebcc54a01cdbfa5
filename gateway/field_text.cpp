#include "gateway/field_text.h"

#include <limits>

#include "protocol/text_values.h"

namespace {

int DigitValue(char c, unsigned base) {
  const int value = HexDigitValue(c);
  return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

std::optional<std::uint32_t> Read(const std::string& text, unsigned base) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  if (i == text.size() || DigitValue(text[i], base) < 0) return std::nullopt;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    value = value * base + static_cast<unsigned>(digit);
    if (value > std::numeric_limits<std::uint32_t>::max())
      return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::optional<std::uint32_t> ReadDecimal(const std::string& text) {
  return Read(text, 10);
}

std::optional<std::uint32_t> ReadHex(const std::string& text) {
  return Read(text, 16);
}
