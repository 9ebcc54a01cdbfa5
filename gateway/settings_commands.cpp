#include "gateway/settings_commands.h"

#include <cstring>

#include "gateway/field_text.h"
#include "gateway/record_texts.h"
#include "protocol/messages.h"
#include "protocol/text_values.h"

namespace {

const char* const kAddressNames[4] = {"IP", "Netmask", "Gateway", "DNS IP"};

template <std::size_t N>
void CopyText(const std::string& text, char (&field)[N]) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& request) {
  return std::vector<std::uint8_t>(request.begin(), request.end());
}

// The value of a number field, or the refusal that names it.
std::optional<std::uint32_t> Number(const std::string& text, std::uint32_t largest, int field,
                                    const std::string& name, CommandOutcome& outcome) {
  const std::optional<std::uint32_t> value = ReadDecimal(text);
  if (!value) {
    outcome.Refused = Refusal{field, "Vellora: Set not sent, " + name + " is empty"};
  } else if (*value > largest) {
    outcome.Refused = Refusal{field, Format("Vellora: Set not sent, %s is %s, not in the range 0 "
                                            "to %u",
                                            name.c_str(), text.c_str(), largest)};
  } else {
    return value;
  }
  return std::nullopt;
}

}  // namespace

TypedSettings SettingsOfRecord(const GatewayRecord& record) {
  const RecordTexts texts = TextsOfRecord(record);
  TypedSettings typed;
  const std::array<std::string, 4>* groups[4] = {&texts.Ip, &texts.Netmask, &texts.GatewayIp,
                                                 &texts.DnsIp};
  for (std::size_t group = 0; group < 4; ++group) {
    for (std::size_t k = 0; k < 4; ++k)
      typed.Octets[4 * group + k] = (*groups[group])[k];
  }
  typed.Port = texts.Port;
  typed.UseDhcp = texts.UseDhcp;
  typed.Name = texts.Name;
  typed.Server = texts.Server;
  typed.ProxyServer = texts.ProxyServer;
  typed.UseProxy = texts.UseProxy;
  return typed;
}

CommandOutcome SetCommand(GatewayRecord& record, const TypedSettings& typed) {
  CommandOutcome outcome;
  Ipv4 addresses[4];
  for (int group = 0; group < 4; ++group) {
    std::uint32_t number = 0;
    for (int k = 0; k < 4; ++k) {
      const int field = 4 * group + k;
      const auto octet = Number(typed.Octets[static_cast<std::size_t>(field)], 255, field,
                                Format("%s octet %d", kAddressNames[group], k + 1), outcome);
      if (!octet) return outcome;
      number = (number << 8) | *octet;
    }
    addresses[group] = Ipv4::FromNumber(number);
  }
  const auto port = Number(typed.Port, 65535, kPortField, "Port", outcome);
  if (!port) return outcome;

  record.Ip = addresses[0];
  record.Netmask = addresses[1];
  record.GatewayIp = addresses[2];
  record.DnsIp = addresses[3];
  record.Port = *port;
  record.UseDhcp = typed.UseDhcp ? 1 : 0;
  CopyText(typed.Name, record.Name);
  CopyText(typed.Server, record.Server);
  record.UseProxy = typed.UseProxy ? 1 : 0;
  CopyText(typed.ProxyServer, record.ProxyServer);
  outcome.Request = Bytes(BuildSetConfigRequest(record));
  return outcome;
}

CommandOutcome RebootCommand(const GatewayRecord& record) {
  return {Bytes(BuildRebootRequest(record)), std::nullopt};
}
