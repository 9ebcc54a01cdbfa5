#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The serial-number file's text: decimal digits, then nothing but blanks or tabs and a line
// end (LF or CRLF), at most this many bytes in all.
constexpr std::size_t kCounterTextLimit = 32;

// The number the whole text holds; nothing, with what was found in `why` ("holds \"4x\", ..."),
// when the text is anything else. `why` shows the bytes found, never a number read from part
// of them.
std::optional<std::uint64_t> ReadCounterText(std::string_view text, std::string& why);

// The bytes in double quotes, every byte that is no printable ASCII (and '"', '\') as \xNN.
std::string QuotedBytes(std::string_view bytes);
