#pragma once

#include <cstdint>

#include "protocol/gateway_record.h"

// The 171-byte settings block shared by the information reply and the set-config request.

// Writes the record's settings, field by field of the settings table; each text field's last
// wire byte is forced to NUL, so at most 20 name and 64 server / proxy characters travel.
void EncodeSettingsBlock(const GatewayRecord& record, std::uint8_t* block);

// Reads the settings into the record; each text is taken up to its first NUL but at most one
// byte less than its wire width, and stored NUL-terminated.
void DecodeSettingsBlock(const std::uint8_t* block, GatewayRecord& record);
