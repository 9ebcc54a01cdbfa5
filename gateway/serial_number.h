#pragma once

#include <array>
#include <cstdint>
#include <string>

// The running serial number of "Set && Incr.": it gives a module the last three bytes of its
// MAC, so only 0 to 16777215 (FF FF FF) can be given. The operator's four edits carry it
// between presses as pairs of decimal digits, most significant first.
class SerialNumber {
 public:
  static constexpr std::uint32_t kLargest = 16777215;

  // d1 d2 d3 d4 read as d1·1000000 + d2·10000 + d3·100 + d4.
  static SerialNumber FromPairs(const std::array<std::uint32_t, 4>& pairs);
  static SerialNumber FromValue(std::uint64_t number) { return SerialNumber(number); }

  std::uint64_t Value() const { return Number; }
  // Whether the number fits the three MAC bytes. A number beyond them is never cut to fit:
  // its low 24 bits may already be another module's MAC.
  bool CanBeGiven() const { return Number <= kLargest; }
  // The three MAC bytes, most significant first; only for a number that can be given.
  std::array<std::uint8_t, 3> MacBytes() const;
  // The number after this one. After the largest it is one that cannot be given, so the
  // largest is never given twice.
  SerialNumber Next() const { return SerialNumber(Number + 1); }
  // Eight digits with leading zeros, cut into the four pairs the edits show; a number of more
  // digits gives them all to the first.
  std::array<std::string, 4> Pairs() const;

 private:
  explicit SerialNumber(std::uint64_t number) : Number(number) {}
  std::uint64_t Number;
};
