#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/text_values.h"

// The check of the MAC printed on a module's label against the MAC the module reports. It runs
// one step per tick of the one-second timer while "Verify MAC" is checked: a label of twelve
// characters starts a search, and a later step compares it with the gateway selected then,
// which is the first that answered unless the operator chose another.
class LabelCheck {
 public:
  enum class State { Idle, SearchSent };
  enum class Action { None, Search, ShowMatch, ShowMismatch };

  // One step with the label field's text and the MAC of the selected gateway.
  Action Step(const std::string& label, const std::optional<MacAddress>& selected);
  State GetState() const { return Current; }

  // The MAC a label of exactly twelve characters stands for: six hexadecimal numbers of one or
  // two digits, either case, each after optional blanks. Nothing for any other label.
  static std::optional<MacAddress> LabelMac(std::string_view label);

 private:
  State Current = State::Idle;
};
