#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Cuts the terminal's byte stream into text lines. A line ends with CR; LF is dropped; every
// other byte, NUL and bytes of 128 and above included, belongs to the line, of which the first
// 298 are kept. What follows the last CR waits for the next bytes.
class LineCutter {
 public:
  static constexpr int kLineCap = 298;

  // Calls onLine(const char*) for each line ended in `bytes`: a C string, so a NUL inside
  // a line ends what is shown of it.
  template <class OnLine>
  void Feed(std::span<const std::uint8_t> bytes, OnLine&& onLine) {
    for (const std::uint8_t byte : bytes) {
      if (byte == '\r') {
        Line[Length] = 0;
        Length = 0;
        onLine(static_cast<const char*>(Line));
      } else if (byte != '\n') {
        Line[Length] = static_cast<char>(byte);
        if (++Length >= kLineCap) Length = kLineCap;  // further bytes land on the last place
      }
    }
  }

  // Drops the line being received.
  void Clear() {
    Length = 0;
    Line[0] = 0;
  }
  std::string_view Pending() const {
    return std::string_view(Line, static_cast<std::size_t>(Length));
  }

 private:
  char Line[300] = {};
  int Length = 0;
};
