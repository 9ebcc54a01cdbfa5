#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

// What a station's write asks of the program that makes it, the window or vellora-cli: its
// lines to the operator, its record, and the wire. Each is done at once, without waiting on
// anything but the local disk.
struct StationIo {
  // The first word of the station's own lines: "vellora-cli", "Vellora".
  std::string Speaker;
  // A line for the operator (stderr, the debug list) and the record.
  std::function<void(const std::string& line)> Say;
  // A line on disk in the record, when there is one; false when it could not be stored (the
  // program has said why).
  std::function<bool(const std::string& line)> NoteDurably;
  // Stores the request's line in the record (on disk) and checks that it may leave from where
  // the operator chose: nothing when it may, else why not (the program has said what failed).
  std::function<std::optional<std::string>(std::span<const std::uint8_t> request)> Record;
  // Sends a recorded request: nothing when it left, else why it did not.
  std::function<std::optional<std::string>(std::span<const std::uint8_t> request)> Transmit;
};
