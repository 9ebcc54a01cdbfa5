#include "gateway/label_check.h"

namespace {

constexpr std::size_t kLabelLength = 12;

}  // namespace

LabelCheck::Action LabelCheck::Step(const std::string& label,
                                    const std::optional<MacAddress>& selected) {
  if (label.size() != kLabelLength) {
    Current = State::Idle;
    return Action::None;
  }
  if (Current == State::Idle) {
    Current = State::SearchSent;
    return Action::Search;
  }
  const std::optional<MacAddress> printed = LabelMac(label);
  if (!printed) {
    Current = State::Idle;
    return Action::None;
  }
  // No answer yet: compare at a later tick, for as long as the label stays.
  if (!selected) return Action::None;
  Current = State::Idle;
  return *printed == *selected ? Action::ShowMatch : Action::ShowMismatch;
}

std::optional<MacAddress> LabelCheck::LabelMac(std::string_view label) {
  if (label.size() != kLabelLength) return std::nullopt;
  MacAddress mac{};
  std::size_t i = 0;
  for (std::uint8_t& number : mac) {
    while (i < label.size() && label[i] == ' ')
      ++i;
    int digits = 0;
    unsigned value = 0;
    for (; digits < 2 && i < label.size() && HexDigitValue(label[i]) >= 0; ++digits, ++i)
      value = value * 16 + static_cast<unsigned>(HexDigitValue(label[i]));
    if (digits == 0) return std::nullopt;
    number = static_cast<std::uint8_t>(value);
  }
  return mac;
}
