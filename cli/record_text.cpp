#include "cli/record_text.h"

#include <cstring>
#include <vector>

#include "cli/text_fields.h"
#include "protocol/settings_fields.h"
#include "protocol/windows1252.h"
#include "udp/found_modules.h"

namespace {

using Kind = FieldKind;
using Field = TextField;

std::vector<Field> Fields(const GatewayRecord& r) {
  const unsigned serial =
      (static_cast<unsigned>(r.Mac[3]) << 16) | (static_cast<unsigned>(r.Mac[4]) << 8) | r.Mac[5];
  std::vector<Field> fields = {{"mac", ColonMac(MacOf(r)), Kind::Word},
                               {"actual", DottedQuad(r.ActualIp), Kind::Word}};
  for (const SettingField& setting : kSettingFields) {
    switch (setting.Kind) {
      case SettingKind::Address:
        fields.push_back({setting.Key, DottedQuad(r.*setting.Address), Kind::Word});
        break;
      case SettingKind::Flag:
        fields.push_back({setting.Key, std::to_string(r.*setting.Flag), Kind::Number});
        break;
      case SettingKind::Port:
        fields.push_back({setting.Key, std::to_string(r.*setting.Number), Kind::Number});
        break;
      case SettingKind::Text:
        fields.push_back({setting.Key, Windows1252ToUtf8(setting.TextOf(r)), Kind::Text});
        break;
    }
  }
  fields.push_back({"serial", std::to_string(serial), Kind::Number});
  return fields;
}

}  // namespace

std::string RecordLine(const GatewayRecord& record) {
  return FieldsLine(Fields(record));
}

std::string RecordJson(const GatewayRecord& record) {
  return FieldsJson(Fields(record));
}
