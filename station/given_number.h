#pragma once

#include <optional>

#include "gateway/command_outcome.h"
#include "protocol/text_values.h"

// How a station's give of a serial number ended.
struct GivenNumber {
  enum class End { Sent, Refused, NotSent };
  End Outcome = End::NotSent;
  MacAddress Mac{};                // the MAC sent (Sent)
  std::optional<Refusal> Refused;  // why the MAC was refused (Refused), with the field at fault
};
