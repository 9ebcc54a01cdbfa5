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
