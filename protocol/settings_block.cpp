#include "protocol/settings_block.h"

#include <cstring>

#include "protocol/byte_order.h"
#include "protocol/messages.h"

namespace {

void EncodeText(const char* field, std::size_t wireWidth, std::uint8_t* at) {
  std::memcpy(at, field, wireWidth);
  at[wireWidth - 1] = 0;
}

template <std::size_t N>
void DecodeText(const std::uint8_t* at, std::size_t wireWidth, char (&field)[N]) {
  static_assert(N >= 1);
  std::size_t limit = wireWidth - 1;
  if (limit > N - 1) limit = N - 1;
  std::size_t length = 0;
  while (length < limit && at[length] != 0)
    ++length;
  std::memcpy(field, at, length);
  std::memset(field + length, 0, N - length);
}

}  // namespace

void EncodeSettingsBlock(const GatewayRecord& record, std::uint8_t* block) {
  using namespace settings_offset;
  block[kUseDhcp] = record.UseDhcp;
  PutIpv4(block + kIp, record.Ip);
  PutIpv4(block + kNetmask, record.Netmask);
  PutIpv4(block + kGatewayIp, record.GatewayIp);
  EncodeText(record.Name, kNameWireWidth, block + kName);
  EncodeText(record.Server, kServerWireWidth, block + kServer);
  block[kUseProxy] = record.UseProxy;
  EncodeText(record.ProxyServer, kProxyWireWidth, block + kProxyServer);
  PutU16(block + kPort, record.Port);
  PutIpv4(block + kDnsIp, record.DnsIp);
}

void DecodeSettingsBlock(const std::uint8_t* block, GatewayRecord& record) {
  using namespace settings_offset;
  record.UseDhcp = block[kUseDhcp];
  record.Ip = GetIpv4(block + kIp);
  record.Netmask = GetIpv4(block + kNetmask);
  record.GatewayIp = GetIpv4(block + kGatewayIp);
  DecodeText(block + kName, kNameWireWidth, record.Name);
  DecodeText(block + kServer, kServerWireWidth, record.Server);
  record.UseProxy = block[kUseProxy];
  DecodeText(block + kProxyServer, kProxyWireWidth, record.ProxyServer);
  record.Port = GetU16(block + kPort);
  record.DnsIp = GetIpv4(block + kDnsIp);
}
