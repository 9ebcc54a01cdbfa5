#include "protocol/request_text.h"

#include <cstring>

#include "protocol/messages.h"
#include "protocol/settings_fields.h"
#include "protocol/text_values.h"

namespace {

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + "\"";
}

// A field's value as the log writes it: addresses dotted, numbers and flags in decimal, texts
// quoted.
std::string SettingValueText(const GatewayRecord& settings, const SettingField& field) {
  switch (field.Kind) {
    case SettingKind::Address:
      return DottedQuad(settings.*field.Address);
    case SettingKind::Flag:
      return std::to_string(settings.*field.Flag);
    case SettingKind::Port:
      return std::to_string(settings.*field.Number);
    case SettingKind::Text:
      return Quoted(field.TextOf(settings));
  }
  return {};
}

std::string Mac(const std::uint8_t* bytes) {
  MacAddress mac;
  std::memcpy(mac.data(), bytes, mac.size());
  return "\"" + MacText(mac) + "\"";
}

}  // namespace

std::string DescribeRequest(std::span<const std::uint8_t> bytes) {
  GatewayRequest request;
  if (!DecodeGatewayRequest(bytes, request))
    return Format("command=unknown length=%zu", bytes.size());
  std::string text =
      std::string("command=") + GatewayCommandName(request.Command) + " target=" + Mac(request.Mac);
  switch (request.Command) {
    case CmdSetMacRequest:
      text += " new-mac=" + Mac(request.NewMac) +
              Format(" serial=%u", (static_cast<unsigned>(request.NewMac[3]) << 16) |
                                       (static_cast<unsigned>(request.NewMac[4]) << 8) |
                                       request.NewMac[5]);
      break;
    case CmdSetEepromRequest:
      text += Format(" address=0x%04X value=0x%02X", request.EepromAddress, request.EepromValue);
      break;
    case CmdSetConfigRequest:
      for (const SettingField& field : kSettingFields)
        text += std::string(" ") + field.Key + "=" + SettingValueText(request.Settings, field);
      break;
    default:
      break;
  }
  return text;
}
