#include "gateway/settings_commands.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "gateway/field_text.h"
#include "protocol/messages.h"
#include "protocol/text_values.h"

namespace {

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& request) {
  return std::vector<std::uint8_t>(request.begin(), request.end());
}

// The value of a number part, or the refusal that names it.
std::optional<std::uint32_t> Number(const std::string& text, std::uint32_t largest,
                                    std::size_t part, const std::string& name,
                                    CommandOutcome& outcome) {
  const std::optional<std::uint32_t> value = ReadDecimal(text);
  if (!value) {
    outcome.Refused =
        Refusal{static_cast<int>(part), "Vellora: Set not sent, " + name + " is empty"};
  } else if (*value > largest) {
    outcome.Refused = Refusal{static_cast<int>(part),
                              Format("Vellora: Set not sent, %s is %s, not in the range 0 to %u",
                                     name.c_str(), text.c_str(), largest)};
  } else {
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::size_t PartIndex(std::string_view key, int k) {
  const SettingField* field = FindSetting(key);
  return field == nullptr ? kSettingPartCount
                          : FirstPartOf(static_cast<std::size_t>(field - kSettingFields.data())) +
                                static_cast<std::size_t>(k);
}

TypedSettings SettingsOfRecord(const GatewayRecord& record) {
  TypedSettings typed;
  for (std::size_t f = 0; f < kSettingFields.size(); ++f) {
    const SettingField& field = kSettingFields[f];
    std::string* part = &typed[FirstPartOf(f)];
    switch (field.Kind) {
      case SettingKind::Address:
        for (int k = 0; k < 4; ++k)
          part[k] = std::to_string((record.*field.Address).Octet(k));
        break;
      case SettingKind::Flag:
        *part = record.*field.Flag != 0 ? "1" : "0";
        break;
      case SettingKind::Port:
        *part = std::to_string(record.*field.Number);
        break;
      case SettingKind::Text:
        *part = std::string(field.TextOf(record));
        break;
    }
  }
  return typed;
}

CommandOutcome SetCommand(GatewayRecord& record, const TypedSettings& typed) {
  CommandOutcome outcome;
  // Every number is read before anything is stored: a refusal leaves the record as it was.
  GatewayRecord changed = record;
  for (std::size_t f = 0; f < kSettingFields.size(); ++f) {
    const SettingField& field = kSettingFields[f];
    const std::size_t first = FirstPartOf(f);
    switch (field.Kind) {
      case SettingKind::Address: {
        std::uint32_t number = 0;
        for (int k = 0; k < 4; ++k) {
          const std::size_t part = first + static_cast<std::size_t>(k);
          const auto octet =
              Number(typed[part], 255, part, Format("%s octet %d", field.Label, k + 1), outcome);
          if (!octet) return outcome;
          number = (number << 8) | *octet;
        }
        changed.*field.Address = Ipv4::FromNumber(number);
        break;
      }
      case SettingKind::Port: {
        const auto port = Number(typed[first], 65535, first, field.Label, outcome);
        if (!port) return outcome;
        changed.*field.Number = *port;
        break;
      }
      case SettingKind::Flag:
        changed.*field.Flag = typed[first] == "1" ? 1 : 0;
        break;
      case SettingKind::Text: {
        const std::span<char> into = field.Text(changed);
        const std::size_t n = std::min(typed[first].size(), into.size() - 1);
        std::memcpy(into.data(), typed[first].data(), n);
        std::memset(into.data() + n, 0, into.size() - n);
        break;
      }
    }
  }
  record = changed;
  outcome.Request = Bytes(BuildSetConfigRequest(record));
  return outcome;
}

CommandOutcome RebootCommand(const GatewayRecord& record) {
  return {Bytes(BuildRebootRequest(record)), std::nullopt};
}
