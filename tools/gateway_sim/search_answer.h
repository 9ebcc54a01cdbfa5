#pragma once

#include <cstddef>
#include <vector>

#include "tools/gateway_sim/datagram.h"
#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/options.h"

// The gateway information reply of one gateway, 186 bytes.
Datagram GatewayReply(const GatewaySetup& gateway);

// Every datagram that answers one search, in sending order: first the hostile ones that
// `hostile` asks for (malformed variants of each answering gateway's reply, then the many-MAC
// replies modelled on the first answering gateway), then each answering gateway's reply,
// repeated for a flood, unless only hostile datagrams are wanted. The continuous stream is
// not part of it; the UDP service paces that itself.
std::vector<Datagram> BuildSearchAnswer(const GatewayModel& model,
                                        const std::vector<std::size_t>& answering,
                                        const HostileOptions& hostile);
