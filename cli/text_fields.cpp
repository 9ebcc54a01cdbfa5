#include "cli/text_fields.h"

#include "protocol/text_values.h"

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

std::string FieldsLine(const std::vector<TextField>& fields) {
  std::string line;
  for (const TextField& field : fields) {
    line += (line.empty() ? "" : " ") + std::string(field.Key) + "=" +
            (field.Is == FieldKind::Text ? Quoted(field.Value) : field.Value);
  }
  return line;
}

std::string FieldsJson(const std::vector<TextField>& fields) {
  std::string json;
  for (const TextField& field : fields) {
    json += (json.empty() ? "{" : ",") + Quoted(field.Key) + ":" +
            (field.Missing                   ? std::string("null")
             : field.Is == FieldKind::Number ? field.Value
                                             : Quoted(field.Value));
  }
  return json + "}";
}
