#include "line/line_outcome.h"

#include <utility>

namespace {

constexpr std::pair<LineOutcome, const char*> kTexts[] = {
    {LineOutcome::Taken, "taken"},
    {LineOutcome::Sending, "sending"},
    {LineOutcome::Sent, "sent"},
    {LineOutcome::Confirmed, "confirmed"},
    {LineOutcome::NotConfirmed, "not confirmed"},
    {LineOutcome::NotSent, "not sent"},
    {LineOutcome::Refused, "refused"},
    {LineOutcome::LabelOk, "label ok"},
    {LineOutcome::LabelWrong, "label wrong"},
};

}  // namespace

const char* OutcomeText(LineOutcome outcome) {
  for (const auto& [value, text] : kTexts) {
    if (value == outcome) return text;
  }
  return "";
}

std::optional<LineOutcome> OutcomeFromText(std::string_view text) {
  for (const auto& [value, name] : kTexts) {
    if (text == name) return value;
  }
  return std::nullopt;
}
