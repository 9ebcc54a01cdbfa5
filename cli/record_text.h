#pragma once

#include <string>

#include "protocol/gateway_record.h"
#include "protocol/text_values.h"

// A module's record as one line for scripts, every field of it; texts in UTF-8, quoted, with
// their control characters escaped (\u001B).
//
//   mac=02:00:00:00:00:01 actual=10.88.1.50 ip=10.88.1.50 netmask=255.255.255.0
//   gateway=10.88.1.1 dns=10.88.1.1 dhcp=0 name="sim-gw-1" server="" use-proxy=0 proxy=""
//   port=80 serial=1
std::string RecordLine(const GatewayRecord& record);
// The same as one JSON object: {"mac":"02:00:00:00:00:01","actual":"10.88.1.50",...}.
std::string RecordJson(const GatewayRecord& record);
