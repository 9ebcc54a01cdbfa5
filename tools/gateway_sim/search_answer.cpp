#include "tools/gateway_sim/search_answer.h"

#include <cstring>

#include "protocol/messages.h"
#include "tools/gateway_sim/hostile.h"

Datagram GatewayReply(const GatewaySetup& gateway) {
  Datagram d;
  const auto bytes = BuildGatewayInfoReply(gateway.Record, gateway.Spare);
  static_assert(bytes.size() <= kMaxDatagram);
  std::memcpy(d.Bytes.data(), bytes.data(), bytes.size());
  d.Size = bytes.size();
  return d;
}

std::vector<Datagram> BuildSearchAnswer(const GatewayModel& model,
                                        const std::vector<std::size_t>& answering,
                                        const HostileOptions& hostile) {
  std::vector<Datagram> out;
  if (answering.empty()) return out;
  const auto& gateways = model.Gateways();
  for (const std::size_t i : answering)
    AppendMalformedReplies(gateways[i].Setup, hostile.Kinds, out);
  if (hostile.Kinds & HostileManyMacs)
    AppendManyMacReplies(gateways[answering.front()].Setup, hostile.Macs, out);

  const bool flood = (hostile.Kinds & HostileFlood) != 0;
  if (hostile.Only && !flood) return out;
  const int copies = flood ? hostile.FloodCount : 1;
  for (int copy = 0; copy < copies; ++copy) {
    for (const std::size_t i : answering) {
      Datagram d = GatewayReply(gateways[i].Setup);
      if (flood) d.Kind = "flood";
      out.push_back(d);
    }
  }
  return out;
}
