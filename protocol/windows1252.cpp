#include "protocol/windows1252.h"

#include <utility>

namespace {

// 0x80..0x9F; the rest of the table is Latin-1.
constexpr char16_t kHighCodes[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

}  // namespace

char16_t Windows1252Character(std::uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighCodes[byte - 0x80] : static_cast<char16_t>(byte);
}

bool Windows1252Byte(char32_t character, char& byte) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    byte = static_cast<char>(character);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighCodes[i] == character) {
      byte = static_cast<char>(0x80 + i);
      return true;
    }
  }
  byte = '\0';
  return false;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const char16_t code = Windows1252Character(static_cast<std::uint8_t>(c));
    if (code < 0x80) {
      text.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      text.push_back(static_cast<char>(0xC0 | (code >> 6)));
      text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      text.push_back(static_cast<char>(0xE0 | (code >> 12)));
      text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return text;
}

std::string Windows1252ToVisibleUtf8(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const char16_t code = Windows1252Character(static_cast<std::uint8_t>(c));
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
      static const char* const kDigits = "0123456789ABCDEF";
      const auto byte = static_cast<std::uint8_t>(c);
      text += "\\x";
      text += kDigits[byte >> 4];
      text += kDigits[byte & 0xF];
    } else {
      text += Windows1252ToUtf8(std::string_view(&c, 1));
    }
  }
  return text;
}

namespace {

// The code point that starts at text[at] and its length in bytes; nullopt where the bytes are
// no valid UTF-8 (a stray or missing continuation byte, an overlong form, a surrogate, a code
// point above U+10FFFF).
std::optional<std::pair<char32_t, std::size_t>> CodePointAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
  if (length == 0 || at + length > text.size()) return std::nullopt;
  char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (next & 0x3F);
  }
  constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return std::nullopt;
  return std::pair{code, length};
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto point = CodePointAt(text, i);
    if (!point) return false;
    i += point->second;
  }
  return true;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size();) {
    const auto point = CodePointAt(text, i);
    char byte = '\0';
    if (!point || !Windows1252Byte(point->first, byte)) return std::nullopt;
    bytes.push_back(byte);
    i += point->second;
  }
  return bytes;
}
