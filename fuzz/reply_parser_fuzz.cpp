// Arbitrary datagrams into the reply parser and the gateway-side request decoder. Each input
// is copied into storage of exactly its own size, so any read beyond the received bytes is
// caught by the address sanitizer. A parsed reply must survive a round trip unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "protocol/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the source port, the rest is the datagram.
  const std::uint16_t port =
      (data[0] & 1) != 0 ? kGatewayPort : static_cast<std::uint16_t>(data[0]);
  const std::size_t count = size - 1;
  std::unique_ptr<std::uint8_t[]> datagram(new std::uint8_t[count == 0 ? 1 : count]);
  if (count > 0) std::memcpy(datagram.get(), data + 1, count);

  ParsedReply reply;
  if (ParseGatewayInfoReply(std::span(datagram.get(), count), port, reply)) {
    if (std::strlen(reply.MacText) != 17) std::abort();
    if (reply.Record.Name[sizeof reply.Record.Name - 1] != 0 ||
        std::strlen(reply.Record.Name) > 20 || std::strlen(reply.Record.Server) > 64 ||
        std::strlen(reply.Record.ProxyServer) > 64 || reply.Record.Port > 0xFFFF) {
      std::abort();
    }
    const auto rebuilt = BuildGatewayInfoReply(reply.Record);
    ParsedReply again;
    if (!ParseGatewayInfoReply(rebuilt, kGatewayPort, again) ||
        std::memcmp(&again.Record, &reply.Record, sizeof reply.Record) != 0) {
      std::abort();
    }
  }

  GatewayRequest request;
  if (DecodeGatewayRequest(std::span(datagram.get(), count), request)) {
    if (std::strlen(request.Settings.Name) > 20) std::abort();
  }
  return 0;
}
