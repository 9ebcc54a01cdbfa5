#include "gateway/record_texts.h"

#include "protocol/text_values.h"

namespace {

std::array<std::string, 4> Octets(Ipv4 address) {
  std::array<std::string, 4> texts;
  for (int k = 0; k < 4; ++k)
    texts[static_cast<std::size_t>(k)] = std::to_string(address.Octet(k));
  return texts;
}

}  // namespace

RecordTexts TextsOfRecord(const GatewayRecord& record) {
  RecordTexts texts;
  for (std::size_t i = 0; i < texts.Mac.size(); ++i)
    texts.Mac[i] = Format("%02X", record.Mac[i]);
  const unsigned long serial = (static_cast<unsigned long>(record.Mac[3]) << 16) |
                               (static_cast<unsigned long>(record.Mac[4]) << 8) | record.Mac[5];
  const std::string digits = Format("%08lu", serial);
  for (std::size_t pair = 0; pair < texts.Serial.size(); ++pair)
    texts.Serial[pair] = digits.substr(2 * pair, 2);
  texts.ActualIp = Octets(record.ActualIp);
  texts.Ip = Octets(record.Ip);
  texts.Netmask = Octets(record.Netmask);
  texts.GatewayIp = Octets(record.GatewayIp);
  texts.DnsIp = Octets(record.DnsIp);
  texts.Name = record.Name;
  texts.Server = record.Server;
  texts.ProxyServer = record.ProxyServer;
  texts.Port = std::to_string(record.Port);
  texts.UseDhcp = record.UseDhcp != 0;
  texts.UseProxy = record.UseProxy != 0;
  return texts;
}
