#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Why a command sends nothing: the field at fault, numbered as the command's inputs are, and
// the line that says so.
struct Refusal {
  int Field = 0;
  std::string Line;
};

// What a command makes of the values typed: the request to send, or the refusal.
struct CommandOutcome {
  std::vector<std::uint8_t> Request;  // empty when refused
  std::optional<Refusal> Refused;
};
