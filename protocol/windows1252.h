#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The protocol's texts are single-byte Windows-1252. Every byte has a character: 0x80..0x9F as
// Windows-1252 defines them (the five it leaves open, 0x81 0x8D 0x8F 0x90 0x9D, stand for the
// control characters of the same number), all others as in Latin-1.
char16_t Windows1252Character(std::uint8_t byte);
// The byte of a character; nothing ('\0' with false) when Windows-1252 has none for it.
bool Windows1252Byte(char32_t character, char& byte);
std::string Windows1252ToUtf8(std::string_view bytes);
// Nothing when the text is no UTF-8 or holds a character that Windows-1252 has no byte for.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);
