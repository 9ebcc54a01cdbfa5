#pragma once

#include <array>
#include <string>

#include "gateway/settings_commands.h"
#include "protocol/gateway_record.h"

// What the fields show of a record: MAC bytes as two upper-case hexadecimal digits, the serial
// number (the last three MAC bytes) as eight decimal digits in four pairs, the address in use
// as four decimal octets, and the settings as their fields show them.
struct RecordTexts {
  std::array<std::string, 6> Mac;
  std::array<std::string, 4> Serial;
  std::array<std::string, 4> ActualIp;
  TypedSettings Settings;
};

RecordTexts TextsOfRecord(const GatewayRecord& record);
