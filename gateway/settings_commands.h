#pragma once

#include <array>
#include <string>

#include "gateway/command_outcome.h"
#include "protocol/gateway_record.h"
#include "protocol/settings_fields.h"

// The settings as the operator typed them: the text of every part, in the order of the
// settings table (an address has four parts, octet 1 first; a flag's part is "1" or "0").
// A refusal of "Set" names the part at fault by its place here.
using TypedSettings = std::array<std::string, kSettingPartCount>;

// The place of part `k` of the field with the key (an address's octet k, counted from 0).
std::size_t PartIndex(std::string_view key, int k = 0);

// The settings of a record as its fields show them.
TypedSettings SettingsOfRecord(const GatewayRecord& record);

// "Set": the typed settings go into the record, and the request carries the record. Every
// number is checked first: an empty field, an octet above 255 or a port above 65535 would give
// the module settings nobody typed, so the command is refused and the record stays as it was.
// Texts are cut to what the record holds.
CommandOutcome SetCommand(GatewayRecord& record, const TypedSettings& typed);

// "Reboot".
CommandOutcome RebootCommand(const GatewayRecord& record);
