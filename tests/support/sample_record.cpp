#include "tests/support/sample_record.h"

#include <cstring>

GatewayRecord SampleRecord() {
  GatewayRecord r = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {0x02, 0x00, 0x00, 0x12, 0x34, 0x56};
  std::memcpy(r.Mac, mac, 6);
  r.ActualIp = r.Ip = Ipv4::FromNumber(0xC0A80132);
  r.Netmask = Ipv4::FromNumber(0xFFFFFF00);
  r.GatewayIp = Ipv4::FromNumber(0xC0A80101);
  r.DnsIp = Ipv4::FromNumber(0x08080808);
  r.Port = 8080;
  r.UseProxy = 1;
  std::strcpy(r.Name, "line-3-station-12");
  std::strcpy(r.Server, "collector.plant.example");
  std::strcpy(r.ProxyServer, "proxy.plant.example");
  return r;
}

GatewayRecord RecordWithMac(std::uint8_t last, std::uint8_t first) {
  GatewayRecord r = kEmptyGatewayRecord;
  r.Mac[0] = first;
  r.Mac[5] = last;
  return r;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : bytes)
    text += {digits[b >> 4], digits[b & 0xF]};
  return text;
}

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(
        static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return bytes;
}
