#include "protocol/settings_block.h"

#include <algorithm>
#include <cstring>

#include "protocol/byte_order.h"
#include "protocol/messages.h"
#include "protocol/settings_fields.h"

void EncodeSettingsBlock(const GatewayRecord& record, std::uint8_t* block) {
  for (const SettingField& field : kSettingFields) {
    std::uint8_t* at = block + field.Offset;
    switch (field.Kind) {
      case SettingKind::Address:
        PutIpv4(at, record.*field.Address);
        break;
      case SettingKind::Flag:
        *at = record.*field.Flag;
        break;
      case SettingKind::Port:
        PutU16(at, record.*field.Number);
        break;
      case SettingKind::Text: {
        // The record's bytes as they stand, the last byte of the place forced to NUL: a longer
        // text is cut to fit.
        const std::span<char> text = field.Text(const_cast<GatewayRecord&>(record));
        const std::size_t n = std::min(text.size(), field.Width - 1);
        std::memcpy(at, text.data(), n);
        std::memset(at + n, 0, field.Width - n);
        break;
      }
    }
  }
}

void DecodeSettingsBlock(const std::uint8_t* block, GatewayRecord& record) {
  for (const SettingField& field : kSettingFields) {
    const std::uint8_t* at = block + field.Offset;
    switch (field.Kind) {
      case SettingKind::Address:
        record.*field.Address = GetIpv4(at);
        break;
      case SettingKind::Flag:
        record.*field.Flag = *at;
        break;
      case SettingKind::Port:
        record.*field.Number = GetU16(at);
        break;
      case SettingKind::Text: {
        // Up to the first NUL, at most one byte less than the place on the wire and than the
        // record's field.
        const std::span<char> into = field.Text(record);
        const std::size_t limit = std::min(field.Width - 1, into.size() - 1);
        std::size_t length = 0;
        while (length < limit && at[length] != 0)
          ++length;
        std::memcpy(into.data(), at, length);
        std::memset(into.data() + length, 0, into.size() - length);
        break;
      }
    }
  }
}
