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
// The same for a terminal or a record: every control character (C0, DEL and the C1 controls)
// as \xNN of its byte, so that nothing a module sends can move a cursor, set a title or end a
// line.
std::string Windows1252ToVisibleUtf8(std::string_view bytes);
// UTF-8 in its shortest form only: no overlong sequence (C0 80 would smuggle a NUL), no
// surrogate, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);
// Nothing when the text is no valid UTF-8 or holds a character that Windows-1252 has no byte
// for.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);
