#pragma once

// The simulator's flood lines and what the debug list must hold after taking them.
//
// Flood line n of length L is "%08u " of n mod 10^8 followed by 'A', 'B', ... 'Z', 'A' ...
// up to L characters; it travels with CR LF.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

std::string FloodLine(std::uint64_t number, int length);
// The number of a line that is exactly a flood line of this length; nothing otherwise.
std::optional<std::uint64_t> FloodLineNumber(const std::string& line, int length);
// The line number that a shown number (taken modulo 10^8) stands for, when about `bytesTaken`
// bytes of lines of this length had been taken.
std::uint64_t UnwrapLineNumber(std::uint64_t shown, std::uint64_t bytesTaken, int length);

struct DebugListVerdict {
  std::vector<std::string> Faults;
  std::uint64_t NewestNumber = 0;  // of the newest flood line, as shown (modulo 10^8)
  int FloodLines = 0;              // flood lines in the list
  int OtherLines = 0;              // lines that are `otherLine`
};

// The list must hold exactly `expectedCount` lines, the newest a flood line; its flood lines
// follow each other without a gap; every other line is `otherLine` (what each read notification
// of the terminal logs for the datagram socket that had nothing waiting).
DebugListVerdict CheckDebugList(const std::vector<std::string>& lines, int expectedCount,
                                int length, const std::string& otherLine);
