#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/memory_socket_layer.h"
#include "protocol/messages.h"

// The record's reply arriving on the program's newest UDP socket from a module at
// 192.168.1.99, from port 8003 unless told otherwise.
inline void DeliverReply(MemorySocketLayer& sockets, const GatewayRecord& record,
                         std::uint16_t fromPort = kGatewayPort) {
  const auto bytes = BuildGatewayInfoReply(record);
  sockets.Deliver(*sockets.LastDatagramSocket(),
                  std::vector<std::uint8_t>(bytes.begin(), bytes.end()), Ipv4(192, 168, 1, 99),
                  fromPort);
}
