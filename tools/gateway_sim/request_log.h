#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

#include "protocol/messages.h"
#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/log_line.h"

// The lines that tell what reached the simulator and what it did; formats in the help text.

// "rx": a request that decoded, its fields, what the gateways did, and its raw bytes.
// `length` is the datagram's size on the wire, `bytes`/`count` what was read of it.
LogLine RequestLine(const sockaddr_in& from, const GatewayRequest& request,
                    const RequestResult& result, std::int64_t rebootMs, std::size_t length,
                    const std::uint8_t* bytes, std::size_t count);

// "malformed": a datagram that is not a request, with the first rule it breaks.
LogLine MalformedLine(const sockaddr_in& from, std::size_t length, const std::uint8_t* bytes,
                      std::size_t count);

// "gateway": one simulated gateway's full state, printed at start.
LogLine GatewayLine(std::size_t index, const SimGateway& gateway);

// "awake": a gateway whose reboot ended.
LogLine AwakeLine(std::size_t index, const SimGateway& gateway);
