#include "protocol/settings_fields.h"

#include <cstring>

std::string_view SettingField::TextOf(const GatewayRecord& record) const {
  // The record's text field is a NUL-terminated array; reading it changes nothing.
  const std::span<char> field = Text(const_cast<GatewayRecord&>(record));
  return std::string_view(field.data(), strnlen(field.data(), field.size()));
}

const SettingField* FindSetting(std::string_view key) {
  for (const SettingField& field : kSettingFields)
    if (key == field.Key) return &field;
  return nullptr;
}
