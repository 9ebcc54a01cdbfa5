#pragma once

#include "protocol/gateway_record.h"
#include "udp/found_modules.h"

// Whether a search shows a new MAC taken by the module it was given to: the new MAC answers
// from the address the module had, and nothing answers with the old MAC any more (else
// another module, or the same one under both, still holds it).
bool NewMacAnswers(const FoundModules& found, const GatewayRecord& module, const MacAddress& newMac);
bool NewMacTaken(const FoundModules& found, const GatewayRecord& module, const MacAddress& newMac);
