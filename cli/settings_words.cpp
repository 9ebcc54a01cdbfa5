#include "cli/settings_words.h"

#include <algorithm>

#include "protocol/windows1252.h"

namespace {

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The four octets of an address as the edits would hold them; empty ones stay empty.
bool Octets(std::string_view value, std::string* octets) {
  for (int k = 0; k < 4; ++k) {
    const std::size_t dot = k < 3 ? value.find('.') : value.size();
    if (dot == std::string_view::npos || !AllDigits(value.substr(0, dot))) return false;
    octets[k] = std::string(value.substr(0, dot));
    value.remove_prefix(k < 3 ? dot + 1 : dot);
  }
  return true;
}

std::optional<bool> Flag(std::string_view value) {
  for (const std::string_view on : {"1", "on", "yes", "true"})
    if (value == on) return true;
  for (const std::string_view off : {"0", "off", "no", "false"})
    if (value == off) return false;
  return std::nullopt;
}

}  // namespace

std::string SettingKeyList() {
  std::string keys;
  for (const SettingField& field : kSettingFields)
    keys += (keys.empty() ? "" : ", ") + std::string(field.Key);
  return keys;
}

WordResult ApplySettingWord(std::string_view word, TypedSettings& typed, std::string& why) {
  const std::size_t equals = word.find('=');
  if (equals == std::string_view::npos) {
    why = "'" + std::string(word) + "' is not key=value";
    return WordResult::BadUsage;
  }
  const std::string key(word.substr(0, equals));
  const std::string_view value = word.substr(equals + 1);
  const SettingField* field = FindSetting(key);
  if (field == nullptr) {
    why = "unknown setting '" + key + "' (" + SettingKeyList() + ")";
    return WordResult::BadUsage;
  }
  std::string* part = &typed[FirstPartOf(static_cast<std::size_t>(field - kSettingFields.data()))];
  const std::string said = key + "=" + std::string(value);
  switch (field->Kind) {
    case SettingKind::Address:
      if (Octets(value, part)) return WordResult::Taken;
      why = said + " is not four numbers with dots";
      return WordResult::BadUsage;
    case SettingKind::Port:
      *part = std::string(value);
      if (AllDigits(value)) return WordResult::Taken;
      why = said + " is not a number";
      return WordResult::BadUsage;
    case SettingKind::Flag:
      if (const std::optional<bool> on = Flag(value)) {
        *part = *on ? "1" : "0";
        return WordResult::Taken;
      }
      why = said + " is not 0 or 1";
      return WordResult::BadUsage;
    case SettingKind::Text:
      break;
  }
  // Checked apart from the conversion, so that the message says what is wrong: an overlong form
  // would bring a NUL into the text, and Latin-1 bytes are no characters at all here.
  if (!IsValidUtf8(value)) {
    why = key + "= holds a text that is not valid UTF-8";
    return WordResult::BadUsage;
  }
  const std::optional<std::string> bytes = Utf8ToWindows1252(value);
  if (!bytes) {
    why = "Vellora: Set not sent, " + key + " holds a character that Windows-1252 cannot hold";
    return WordResult::Refused;
  }
  // As many as the window's edit takes.
  const std::size_t most = static_cast<std::size_t>(field->TextLimit - 1);
  if (bytes->size() > most) {
    why = "Vellora: Set not sent, " + key + " has " + std::to_string(bytes->size()) +
          " characters, at most " + std::to_string(most);
    return WordResult::Refused;
  }
  *part = *bytes;
  return WordResult::Taken;
}
