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
  block[UseDhcp] = record.UseDhcp;
  PutU32(block + Ip, record.Ip);
  PutU32(block + Netmask, record.Netmask);
  PutU32(block + GatewayIp, record.GatewayIp);
  EncodeText(record.Name, kNameWireWidth, block + Name);
  EncodeText(record.Server, kServerWireWidth, block + Server);
  block[UseProxy] = record.UseProxy;
  EncodeText(record.ProxyServer, kProxyWireWidth, block + ProxyServer);
  PutU16(block + Port, record.Port);
  PutU32(block + DnsIp, record.DnsIp);
}

void DecodeSettingsBlock(const std::uint8_t* block, GatewayRecord& record) {
  using namespace settings_offset;
  record.UseDhcp = block[UseDhcp];
  record.Ip = GetU32(block + Ip);
  record.Netmask = GetU32(block + Netmask);
  record.GatewayIp = GetU32(block + GatewayIp);
  DecodeText(block + Name, kNameWireWidth, record.Name);
  DecodeText(block + Server, kServerWireWidth, record.Server);
  record.UseProxy = block[UseProxy];
  DecodeText(block + ProxyServer, kProxyWireWidth, record.ProxyServer);
  record.Port = GetU16(block + Port);
  record.DnsIp = GetU32(block + DnsIp);
}
