#include "protocol/request_text.h"

#include <cstring>

#include "protocol/messages.h"
#include "protocol/text_values.h"

namespace {

std::string Quoted(const char* text) {
  std::string quoted = "\"";
  for (const char* c = text; *c != 0; ++c) {
    if (*c == '"' || *c == '\\') quoted.push_back('\\');
    quoted.push_back(*c);
  }
  return quoted + "\"";
}

std::string Mac(const std::uint8_t* bytes) {
  MacAddress mac;
  std::memcpy(mac.data(), bytes, mac.size());
  return "\"" + MacText(mac) + "\"";
}

}  // namespace

std::string DescribeRequest(std::span<const std::uint8_t> bytes) {
  GatewayRequest request;
  if (!DecodeGatewayRequest(bytes, request))
    return Format("command=unknown length=%zu", bytes.size());
  std::string text =
      std::string("command=") + GatewayCommandName(request.Command) + " target=" + Mac(request.Mac);
  switch (request.Command) {
    case CmdSetMacRequest:
      text += " new-mac=" + Mac(request.NewMac) +
              Format(" serial=%u", (static_cast<unsigned>(request.NewMac[3]) << 16) |
                                       (static_cast<unsigned>(request.NewMac[4]) << 8) |
                                       request.NewMac[5]);
      break;
    case CmdSetEepromRequest:
      text += Format(" address=0x%04X value=0x%02X", request.EepromAddress, request.EepromValue);
      break;
    case CmdSetConfigRequest: {
      const GatewayRecord& s = request.Settings;
      text += " ip=" + DottedQuad(s.Ip) + " netmask=" + DottedQuad(s.Netmask) +
              " gateway=" + DottedQuad(s.GatewayIp) + " dns=" + DottedQuad(s.DnsIp) +
              Format(" dhcp=%u", s.UseDhcp) + " name=" + Quoted(s.Name) +
              " server=" + Quoted(s.Server) + Format(" use-proxy=%u", s.UseProxy) +
              " proxy=" + Quoted(s.ProxyServer) + Format(" port=%u", s.Port);
      break;
    }
    default:
      break;
  }
  return text;
}
