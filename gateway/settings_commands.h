#pragma once

#include <array>
#include <string>

#include "gateway/command_outcome.h"
#include "protocol/gateway_record.h"

// The settings as the operator typed them.
struct TypedSettings {
  // IP, netmask, default gateway and DNS server: four octets each, octet 1 first.
  std::array<std::string, 16> Octets;
  std::string Port;
  bool UseDhcp = false;
  std::string Name, Server, ProxyServer;
  bool UseProxy = false;
};

// The settings of a record as its fields show them.
TypedSettings SettingsOfRecord(const GatewayRecord& record);

// Field numbers of a refusal of "Set": the octets 0 to 15, then the port.
inline constexpr int kPortField = 16;

// "Set": the typed settings go into the record, and the request carries the record. Every
// number is checked first: an empty field, an octet above 255 or a port above 65535 would give
// the module settings nobody typed, so the command is refused and the record stays as it was.
// Texts are cut to what the record holds.
CommandOutcome SetCommand(GatewayRecord& record, const TypedSettings& typed);

// "Reboot".
CommandOutcome RebootCommand(const GatewayRecord& record);
