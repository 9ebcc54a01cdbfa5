#include "platform/posix/counter_text.h"

#include <algorithm>

#include "protocol/text_values.h"

std::optional<std::uint64_t> ReadCounterText(std::string_view text, std::string& why) {
  if (text.size() > kCounterTextLimit) {
    why = "is longer than " + std::to_string(kCounterTextLimit) + " bytes, it begins " +
          QuotedBytes(text.substr(0, kCounterTextLimit));
    return std::nullopt;
  }
  const auto notDigit =
      std::find_if(text.begin(), text.end(), [](char c) { return c < '0' || c > '9'; });
  const std::string_view digits(text.data(), static_cast<std::size_t>(notDigit - text.begin()));
  std::string_view rest = text.substr(digits.size());
  rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
  const bool ended = rest.empty() || rest == "\n" || rest == "\r\n";
  const std::optional<std::uint64_t> number =
      !digits.empty() && ended ? ParseNumber<std::uint64_t>(digits) : std::nullopt;
  if (number) return number;
  why = text.empty() ? std::string("is empty")
        : !digits.empty() && ended
            ? "holds " + QuotedBytes(text) + ", a number too large for a serial number"
            : "holds " + QuotedBytes(text) +
                  ", not a serial number (decimal digits, then nothing but blanks and a line end)";
  return std::nullopt;
}

std::string QuotedBytes(std::string_view bytes) {
  std::string quoted = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\')
      quoted += Format("\\x%02X", byte);
    else
      quoted.push_back(c);
  }
  return quoted + "\"";
}
