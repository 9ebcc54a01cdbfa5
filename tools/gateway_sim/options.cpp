#include "tools/gateway_sim/options.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "protocol/messages.h"
#include "protocol/settings_fields.h"
#include "protocol/text_values.h"
#include "tools/command_line/command_line.h"
#include "tools/gateway_sim/hostile.h"
#include "tools/gateway_sim/mac_numbering.h"
#include "tools/gateway_sim/usage_text.h"

namespace {

// Stores a value that was read, or tells that there was none.
template <class T, class Field>
bool Store(const std::optional<T>& value, Field& field) {
  if (value) field = static_cast<Field>(*value);
  return value.has_value();
}

bool CopyText(std::string_view text, std::size_t maxChars, char* field, std::size_t fieldSize) {
  if (text.size() > maxChars || text.size() >= fieldSize) return false;
  std::memset(field, 0, fieldSize);
  text.copy(field, text.size());
  return true;
}

// Applies one key=value of a --gateway option.
bool ApplyGatewayKey(std::string_view key, std::string_view value, GatewaySetup& gateway,
                     bool& actualGiven, std::string& error) {
  GatewayRecord& r = gateway.Record;
  bool ok = true;
  if (key == "mac") {
    const std::optional<MacAddress> mac = ParseMac(value);
    if (mac) std::copy(mac->begin(), mac->end(), r.Mac);
    ok = mac.has_value();
  } else if (key == "ip") {
    ok = Store(ParseDottedQuad(value), r.Ip);
    if (ok && !actualGiven) r.ActualIp = r.Ip;
  } else if (key == "actual") {
    ok = Store(ParseDottedQuad(value), r.ActualIp);
    actualGiven = true;
  } else if (key == "mask") {
    ok = Store(ParseDottedQuad(value), r.Netmask);
  } else if (key == "gw") {
    ok = Store(ParseDottedQuad(value), r.GatewayIp);
  } else if (key == "dns") {
    ok = Store(ParseDottedQuad(value), r.DnsIp);
  } else if (key == "name") {
    ok = CopyText(value, Setting("name").Width - 1, r.Name, sizeof r.Name);
  } else if (key == "server") {
    ok = CopyText(value, Setting("server").Width - 1, r.Server, sizeof r.Server);
  } else if (key == "proxy") {
    ok = CopyText(value, Setting("proxy").Width - 1, r.ProxyServer, sizeof r.ProxyServer);
  } else if (key == "port") {
    ok = Store(ParseNumber<std::uint16_t>(value), r.Port);
  } else if (key == "dhcp" || key == "useproxy" || key == "spare") {
    ok = Store(ParseNumber<std::uint8_t>(value), key == "dhcp"       ? r.UseDhcp
                                                 : key == "useproxy" ? r.UseProxy
                                                                     : gateway.Spare);
  } else {
    error = "unknown gateway key '" + std::string(key) + "'";
    return false;
  }
  if (!ok)
    error = "bad value '" + std::string(value) + "' for gateway key '" + std::string(key) + "'";
  return ok;
}

bool ApplyGatewaySettings(std::string_view settings, GatewaySetup& gateway, std::string& error) {
  bool actualGiven = false;
  while (!settings.empty()) {
    const std::size_t comma = settings.find(',');
    const std::string_view item = settings.substr(0, comma);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
      error = "gateway setting '" + std::string(item) + "' is not key=value";
      return false;
    }
    if (!ApplyGatewayKey(item.substr(0, equals), item.substr(equals + 1), gateway, actualGiven,
                         error))
      return false;
    if (comma == std::string_view::npos) break;
    settings.remove_prefix(comma + 1);
  }
  return true;
}

GatewaySetup DefaultGateway(std::size_t index, const MacAddress& macBase, Ipv4 ipBase) {
  GatewaySetup g;
  GatewayRecord& r = g.Record;
  std::copy(macBase.begin(), macBase.end(), r.Mac);
  AdvanceMac(r.Mac, index);
  r.Ip = Ipv4::FromNumber(ipBase.Number() + static_cast<std::uint32_t>(index));
  r.ActualIp = r.Ip;
  r.Netmask = Ipv4(255, 255, 255, 0);
  r.GatewayIp = Ipv4::FromNumber((ipBase.Number() & r.Netmask.Number()) | 1u);
  r.DnsIp = r.GatewayIp;
  r.Port = 80;
  std::snprintf(r.Name, sizeof r.Name, "sim-gw-%zu", index + 1);
  return g;
}

std::uint64_t ClockSeed() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint64_t>(ticks) ^ (static_cast<std::uint64_t>(getpid()) << 32);
}

int Milliseconds(double seconds) {
  return static_cast<int>(seconds * 1000.0 + 0.5);
}

// What the command line says before it is turned into SimOptions: the values that other
// options or defaults still act on.
struct CommandLineValues {
  SimOptions Options;
  bool NoTcp = false;
  MacAddress MacBase = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
  Ipv4 IpBase{192, 168, 0, 101};
  unsigned GatewayCount = 0;
  std::vector<std::string> GatewaySettings;  // of each --gateway, in order
  double RebootSeconds = 3.0;
  double RunSeconds = 0.0;
  double StreamSeconds = 5.0;
};

// Every option of the simulator, bound to where its value goes; kUsageText tells what each does.
void BindOptions(CommandLine& line, CommandLineValues& v) {
  SimOptions& o = v.Options;
  line.DottedQuad("bind", o.BindIp)
      .Text("interface", o.Interface, 15)  // IFNAMSIZ less its NUL
      .Number("udp-port", o.UdpPort, 0, 65535)
      .DottedQuad("tcp-bind", o.TcpBindIp)
      .Number("tcp-port", o.TcpPort, 0, 65535)
      .Flag("no-tcp", v.NoTcp)
      .Number("gateways", v.GatewayCount, 1, 1000)
      .Mac("mac-base", v.MacBase)
      .DottedQuad("ip-base", v.IpBase)
      .Custom("gateway",
              [&v](std::string_view settings, std::string&) {
                v.GatewaySettings.emplace_back(settings);  // applied once the bases are known
                return true;
              })
      .Choice("reply", o.Reply,
              {{"unicast", ReplyMode::Unicast}, {"broadcast", ReplyMode::Broadcast}})
      .Number("delay-ms", o.Faults.DelayMs, 0, 600000)
      .Number("jitter-ms", o.Faults.JitterMs, 0, 600000)
      .Fraction("loss", o.Faults.Loss, 0.0, 1.0)
      .Number("duplicates", o.Faults.Duplicates, 0, 100)
      .Number("seed", o.Faults.Seed, 0, UINT64_MAX)
      .Fraction("reboot-seconds", v.RebootSeconds, 0.0, 3600.0)
      .Flag("read-only", o.ReadOnly)
      .Flag("log-replies", o.LogReplies)
      .Custom("hostile",
              [&o](std::string_view kinds, std::string& why) {
                return ParseHostileKinds(kinds, o.Hostile.Kinds, why);
              })
      .Flag("hostile-only", o.Hostile.Only)
      .Number("hostile-macs", o.Hostile.Macs, 0, 1000)
      .Number("hostile-count", o.Hostile.FloodCount, 0, 10000)
      .Number("hostile-rate", o.Hostile.StreamRate, 1, 1000000)
      .Fraction("hostile-seconds", v.StreamSeconds, 0.0, 3600.0)
      .Choice("tcp-mode", o.Tcp.Mode,
              {{"status", TcpMode::Status},
               {"flood", TcpMode::Flood},
               {"close", TcpMode::Close},
               {"silent", TcpMode::Silent}})
      .Number("interval-ms", o.Tcp.IntervalMs, 1, 3600000)
      .Number("line-length", o.Tcp.LineLength, 1, 8192)
      .Number("rate", o.Tcp.Rate, 0, 10000000)
      .Number("close-after", o.Tcp.CloseAfter, 0, 1000)
      .Number("max-clients", o.Tcp.MaxClients, 1, 256)
      .Fraction("run-seconds", v.RunSeconds, 0.0, 1e6);
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, SimOptions& out, std::string& error) {
  CommandLineValues v;
  CommandLine line(kProgramName);
  BindOptions(line, v);
  if (!line.Parse(argc, argv)) {
    error = line.Error();
    return false;
  }
  if (!line.Positional().empty()) {
    error = "unexpected argument '" + line.Positional().front() + "' (see --help)";
    return false;
  }

  SimOptions& o = v.Options;
  o.Help = line.HelpWanted();
  o.TcpEnabled = !v.NoTcp;
  if (v.GatewayCount != 0 && v.GatewayCount < v.GatewaySettings.size()) {
    error = "--gateways is smaller than the number of --gateway options";
    return false;
  }
  const std::size_t count = std::max<std::size_t>({v.GatewayCount, v.GatewaySettings.size(), 1});
  for (std::size_t i = 0; i < count; ++i) {
    GatewaySetup g = DefaultGateway(i, v.MacBase, v.IpBase);
    if (i < v.GatewaySettings.size() && !ApplyGatewaySettings(v.GatewaySettings[i], g, error)) {
      error = "--gateway " + std::to_string(i + 1) + ": " + error;
      return false;
    }
    o.Gateways.push_back(g);
  }

  if (o.Reply == ReplyMode::Broadcast && o.Interface.empty()) {
    error = "--reply broadcast needs --interface, so the broadcast leaves by a chosen interface";
    return false;
  }
  if (!line.Given("tcp-bind")) o.TcpBindIp = o.BindIp;
  if (!line.Given("seed")) o.Faults.Seed = ClockSeed();
  o.RebootMs = Milliseconds(v.RebootSeconds);
  o.RunMs = Milliseconds(v.RunSeconds);
  o.Hostile.StreamMs = Milliseconds(v.StreamSeconds);
  out = std::move(o);
  return true;
}

std::vector<std::string> UsageTextMismatches() {
  CommandLineValues v;
  CommandLine line(kProgramName);
  BindOptions(line, v);
  return line.HelpMismatches(kUsageText);
}
