#include "cli/record_text.h"

#include <cstring>
#include <vector>

#include "protocol/settings_fields.h"
#include "protocol/windows1252.h"
#include "udp/found_modules.h"

namespace {

// Numbers stand bare everywhere; words (a MAC, an address) are quoted only in JSON; texts are
// quoted in both.
enum class Kind { Number, Word, Text };
struct Field {
  const char* Key;
  std::string Value;
  Kind Is;
};

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

// Quotes a UTF-8 text, escaping what a JSON string escapes (which a shell line reads as well)
// and every other control character: DEL and the C1 controls (U+0080 to U+009F, C2 80 to
// C2 9F in UTF-8) could steer a terminal as ESC could.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      quoted += Format("\\u%04X", c);
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      quoted += Format("\\u%04X", next);
      ++i;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string RecordLine(const GatewayRecord& record) {
  std::string line;
  for (const Field& field : Fields(record)) {
    line += (line.empty() ? "" : " ") + std::string(field.Key) + "=" +
            (field.Is == Kind::Text ? Quoted(field.Value) : field.Value);
  }
  return line;
}

std::string RecordJson(const GatewayRecord& record) {
  std::string json;
  for (const Field& field : Fields(record)) {
    json += (json.empty() ? "{" : ",") + Quoted(field.Key) + ":" +
            (field.Is == Kind::Number ? field.Value : Quoted(field.Value));
  }
  return json + "}";
}
