#include "tools/gateway_sim/request_log.h"

#include <cstdio>
#include <string>

#include "protocol/byte_order.h"

namespace {

const char* OutcomeName(RequestOutcome outcome) {
  switch (outcome) {
    case RequestOutcome::Answered:
      return "answered";
    case RequestOutcome::Applied:
      return "applied";
    case RequestOutcome::UnknownMac:
      return "unknown-mac";
    case RequestOutcome::Rebooting:
      return "rebooting";
    case RequestOutcome::Ignored:
      return "ignored";
  }
  return "?";
}

// 1-based gateway numbers, as in the "gateway" lines, or "-".
std::string GatewayList(const std::vector<std::size_t>& gateways) {
  std::string text;
  for (const std::size_t i : gateways) {
    if (!text.empty()) text += ',';
    text += std::to_string(i + 1);
  }
  return text.empty() ? "-" : text;
}

void AddSettings(LogLine& line, const GatewayRecord& r) {
  line.Number("dhcp", r.UseDhcp)
      .Ip("ip", r.Ip)
      .Ip("mask", r.Netmask)
      .Ip("gw", r.GatewayIp)
      .Ip("dns", r.DnsIp)
      .Quoted("name", r.Name)
      .Quoted("server", r.Server)
      .Number("useproxy", r.UseProxy)
      .Quoted("proxy", r.ProxyServer)
      .Number("port", r.Port);
}

}  // namespace

LogLine RequestLine(const sockaddr_in& from, const GatewayRequest& request,
                    const RequestResult& result, std::int64_t rebootMs, std::size_t length,
                    const std::uint8_t* bytes, std::size_t count) {
  LogLine line("rx");
  line.Endpoint("from", from)
      .Add("cmd", GatewayCommandName(request.Command))
      .Mac("mac", request.Mac);
  switch (request.Command) {
    case CmdSetConfigRequest:
      AddSettings(line, request.Settings);
      break;
    case CmdRebootRequest: {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.3g", static_cast<double>(rebootMs) / 1000.0);
      line.Add("seconds", seconds);
      break;
    }
    case CmdSetMacRequest:
      line.Mac("new-mac", request.NewMac);
      break;
    case CmdSetEepromRequest:
      line.Hex("address", request.EepromAddress, 4).Hex("value", request.EepromValue, 2);
      if (result.Gateways.empty())
        line.Add("previous", "-");
      else
        line.Hex("previous", result.EepromPrevious, 2);
      break;
    default:
      break;
  }
  line.Add("outcome", OutcomeName(result.Outcome))
      .Add("gateways", GatewayList(result.Gateways))
      .Number("len", length)
      .Bytes("hex", bytes, count);
  return line;
}

LogLine MalformedLine(const sockaddr_in& from, std::size_t length, const std::uint8_t* bytes,
                      std::size_t count) {
  LogLine line("malformed");
  line.Endpoint("from", from).Number("len", length);
  if (count < kHeaderLength) {
    line.Add("reason", "short-header");
  } else {
    const std::uint8_t command = bytes[1];
    const std::uint32_t lengthField = GetU16(bytes + 8);
    const char* reason = "truncated";
    if (bytes[0] != 0x00)
      reason = "first-byte";
    else if (RequestLength(command) == 0)
      reason = "command";
    else if (lengthField != RequestLength(command))
      reason = "length-field";
    line.Add("reason", reason).Hex("cmd", command, 2).Number("length-field", lengthField);
  }
  line.Bytes("hex", bytes, count);
  return line;
}

LogLine GatewayLine(std::size_t index, const SimGateway& gateway) {
  const GatewayRecord& r = gateway.Setup.Record;
  LogLine line("gateway");
  line.Number("index", index + 1).Mac("mac", r.Mac).Ip("actual", r.ActualIp);
  AddSettings(line, r);
  line.Number("spare", gateway.Setup.Spare);
  return line;
}

LogLine AwakeLine(std::size_t index, const SimGateway& gateway) {
  LogLine line("awake");
  line.Number("gateway", index + 1)
      .Mac("mac", gateway.Setup.Record.Mac)
      .Ip("actual", gateway.Setup.Record.ActualIp);
  return line;
}
