#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "protocol/gateway_record.h"

// What the setting fields show of a record: MAC bytes as two upper-case hexadecimal digits,
// the serial number (the last three MAC bytes) as eight decimal digits in four pairs, addresses
// as four decimal octets, the port in decimal, the texts as they are.
struct RecordTexts {
  std::array<std::string, 6> Mac;
  std::array<std::string, 4> Serial;
  std::array<std::string, 4> ActualIp, Ip, Netmask, GatewayIp, DnsIp;
  std::string Name, Server, ProxyServer, Port;
  bool UseDhcp = false;
  bool UseProxy = false;
};

RecordTexts TextsOfRecord(const GatewayRecord& record);
