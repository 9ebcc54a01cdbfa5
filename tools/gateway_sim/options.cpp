#include "tools/gateway_sim/options.h"

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "protocol/messages.h"
#include "tools/gateway_sim/address_text.h"
#include "tools/gateway_sim/hostile.h"

const char kUsageText[] =
    R"(Usage: gateway_sim [options]

Simulates Ethernet gateway modules: answers searches on UDP, applies the set-config,
reboot, set-MAC and set-EEPROM requests addressed to its gateways by MAC, and serves CR LF
text lines on TCP. Every received request is printed as one line on stdout.

Network:
  --bind ADDR            UDP address to listen on (default 0.0.0.0)
  --interface NAME       bind the UDP and TCP sockets to this interface (SO_BINDTODEVICE);
                         with the default --bind 0.0.0.0 broadcasts to it are heard
  --udp-port N           UDP port (default 8003; 0 = any free port)
  --tcp-bind ADDR        TCP address (default: the --bind address)
  --tcp-port N           TCP port (default 80; 0 = any free port)
  --no-tcp               no TCP server

Gateways (gateway i counts from 1):
  --gateways N           number of gateways (default 1, or the number of --gateway options)
  --mac-base MAC         MAC of gateway 1; gateway i gets MAC + i-1 (default 02:00:00:00:00:01)
  --ip-base ADDR         address and address in use of gateway 1; gateway i gets ADDR + i-1
                         (default 192.168.0.101)
  --gateway SPEC         settings of the next gateway (repeatable; the first --gateway is
                         gateway 1); SPEC is key=value[,key=value...] with the keys
                           mac=MAC  ip=ADDR  actual=ADDR (address in use)  mask=ADDR
                           gw=ADDR  dns=ADDR  name=TEXT (<= 20)  server=TEXT (<= 64)
                           proxy=TEXT (<= 64)  port=0..65535  dhcp=0..255  useproxy=0..255
                           spare=0..255 (reply byte 10)
                         ip= also sets actual= unless actual= is given. Texts cannot hold
                         commas. Defaults: name sim-gw-i, netmask 255.255.255.0, default
                         gateway and DNS the .1 of the base subnet, port 80, DHCP and proxy
                         off, server and proxy empty.
  MAC: 02:00:00:00:00:01, 02-00-00-00-00-01, "02 00 00 00 00 01" or 020000000001.

Replies:
  --reply unicast|broadcast
                         unicast to the sender (default), or to 255.255.255.255 and the
                         sender's port like an unconfigured module (needs --interface)
  --delay-ms N           hold every reply N ms (default 0)
  --jitter-ms N          plus a random 0..N ms per copy (default 0)
  --loss P               drop each copy with probability P, 0..1 (default 0)
  --duplicates N         send N extra copies of every reply (default 0)
  --seed N               seed of the random choices (default: from the clock, printed)
  --reboot-seconds S     how long a rebooting gateway is silent (default 3; fractions allowed)
  --log-replies          also print a line for every datagram sent

Hostile answers to a search (robustness tests):
  --hostile KIND[,KIND...]
      length-field       a full reply with length field 185, and one with 187
      short              the first 100 bytes of a reply, header intact
      long               a reply padded to 255 bytes, and one padded to 300 bytes
      no-nul             name, server and proxy fields without a NUL
      bad-command        a 181-byte datagram with command 0x04, a 186-byte one with 0x02
      bad-first-byte     a reply whose byte 0 is 0x01
      malformed          all six above
      many-macs          valid replies from --hostile-macs distinct MACs (02:BA:D0:00:00:01 up)
      flood              --hostile-count copies of every reply
      stream             replies at --hostile-rate per second to the last searcher, for
                         --hostile-seconds after each search
  --hostile-only         leave out the normal replies
  --hostile-macs N       default 25
  --hostile-count N      default 100
  --hostile-rate N       datagrams per second, default 1000
  --hostile-seconds S    default 5
  Hostile datagrams of a search go out before its normal replies.

TCP text lines (CR LF terminated):
  --tcp-mode status|flood|close|silent
      status             one status line at once and then every --interval-ms (default):
                         "NAME (MAC) status line N, up S s" of the gateway whose address in
                         use the client connected to, else of gateway 1
      flood              lines of --line-length characters at --rate lines per second
      close              --close-after status lines at once, then the connection is closed
      silent             accepts and sends nothing
  --interval-ms N        default 1000
  --line-length N        1..8192, default 64
  --rate N               lines per second and client, 0 = as fast as possible (default 0)
  --close-after N        default 3
  --max-clients N        clients at once, default 16; more are accepted and closed

Other:
  --run-seconds S        stop by itself after S seconds (default 0: run until SIGINT/SIGTERM)
  --help                 this text

Output (stdout, one line per event, flushed at once; fields are key=value, texts in double
quotes with \" \\ and \xNN escapes; every line starts with the local time HH:MM:SS.mmm):
  gateway index=I mac="M" actual=A dhcp=N ip=A mask=A gw=A dns=A name="T" server="T"
          useproxy=N proxy="T" port=N spare=N                 (at start, one per gateway)
  ready udp=ADDR:PORT tcp=ADDR:PORT|off interface=NAME|- gateways=N reply=MODE seed=N
          hostile=KINDS tcp-mode=MODE                          (when serving)
  rx from=ADDR:PORT cmd=NAME mac="M" FIELDS outcome=O gateways=I[,I...]|- len=N hex=BYTES
      FIELDS: SearchRequest none; RebootRequest seconds=S;
              SetConfigRequest dhcp ip mask gw dns name server useproxy proxy port as above;
              SetMacRequest new-mac="M"; SetEepromRequest address=0xHHHH value=0xHH
              previous=0xHH|-
      O: answered, applied, unknown-mac, rebooting; gateways: the numbers that acted
      hex: the bytes read, at most 2048; len: the datagram's full size
  malformed from=ADDR:PORT len=N reason=R [cmd=0xHH length-field=N] hex=BYTES
      R: short-header, first-byte, command, length-field, truncated
  awake gateway=I mac="M" actual=A                            (a reboot ended)
  tx to=ADDR:PORT kind=K len=N mac="M"                         (with --log-replies)
  tx-error to=ADDR:PORT kind=K error="TEXT"
  rx-error error="TEXT"
  tcp-open from=ADDR:PORT clients=N
  tcp-close from=ADDR:PORT lines=N bytes=N reason=peer|done|error|refused
  stop reason=SIGINT|SIGTERM|time requests=N malformed=N sent=N
  The datagrams that a request makes due at once (no --delay-ms or --jitter-ms) are sent
  before the next datagram is read, so they are on the wire before the next rx or
  malformed line appears.
  A rebooting gateway hears nothing; when its reboot ends it uses its configured IP address
  as its address in use, unless DHCP is on. Exit status: 0 after a stop, 1 when a socket
  cannot be set up, 2 for a bad command line.
)";

namespace {

bool ParseUnsigned(std::string_view text, unsigned long long max, unsigned long long& out) {
  if (text.empty() || text.size() > 20) return false;
  unsigned long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (max - digit) / 10) return false;
    value = value * 10 + digit;
  }
  out = value;
  return true;
}

bool ParseDecimal(std::string_view text, double min, double max, double& out) {
  char buffer[32];
  if (text.empty() || text.size() >= sizeof buffer) return false;
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  const double value = std::strtod(buffer, &end);
  if (end != buffer + text.size() || !(value >= min && value <= max)) return false;
  out = value;
  return true;
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
  unsigned long long number = 0;
  bool ok = true;
  if (key == "mac") {
    ok = ParseMac(value, r.Mac);
  } else if (key == "ip") {
    ok = ParseIpv4(value, r.Ip);
    if (ok && !actualGiven) r.ActualIp = r.Ip;
  } else if (key == "actual") {
    ok = ParseIpv4(value, r.ActualIp);
    actualGiven = true;
  } else if (key == "mask") {
    ok = ParseIpv4(value, r.Netmask);
  } else if (key == "gw") {
    ok = ParseIpv4(value, r.GatewayIp);
  } else if (key == "dns") {
    ok = ParseIpv4(value, r.DnsIp);
  } else if (key == "name") {
    ok = CopyText(value, kNameWireWidth - 1, r.Name, sizeof r.Name);
  } else if (key == "server") {
    ok = CopyText(value, kServerWireWidth - 1, r.Server, sizeof r.Server);
  } else if (key == "proxy") {
    ok = CopyText(value, kProxyWireWidth - 1, r.ProxyServer, sizeof r.ProxyServer);
  } else if (key == "port") {
    ok = ParseUnsigned(value, 65535, number);
    r.Port = static_cast<std::uint32_t>(number);
  } else if (key == "dhcp" || key == "useproxy" || key == "spare") {
    ok = ParseUnsigned(value, 255, number);
    const auto byte = static_cast<std::uint8_t>(number);
    (key == "dhcp" ? r.UseDhcp : key == "useproxy" ? r.UseProxy : gateway.Spare) = byte;
  } else {
    error = "unknown gateway key '" + std::string(key) + "'";
    return false;
  }
  if (!ok)
    error = "bad value '" + std::string(value) + "' for gateway key '" + std::string(key) + "'";
  return ok;
}

bool ApplyGatewaySpec(std::string_view settings, GatewaySetup& gateway, std::string& error) {
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

GatewaySetup DefaultGateway(std::size_t index, const std::uint8_t (&macBase)[6],
                            std::uint32_t ipBase) {
  GatewaySetup g;
  GatewayRecord& r = g.Record;
  std::memcpy(r.Mac, macBase, 6);
  AdvanceMac(r.Mac, index);
  r.Ip = ipBase + static_cast<std::uint32_t>(index);
  r.ActualIp = r.Ip;
  r.Netmask = 0xFFFFFF00u;
  r.GatewayIp = (ipBase & r.Netmask) | 1u;
  r.DnsIp = r.GatewayIp;
  r.Port = 80;
  std::snprintf(r.Name, sizeof r.Name, "sim-gw-%zu", index + 1);
  return g;
}

std::uint64_t ClockSeed() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint64_t>(ticks) ^ (static_cast<std::uint64_t>(getpid()) << 32);
}

class ArgumentReader {
 public:
  ArgumentReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

  bool Next() {
    if (++index_ >= argc_) return false;
    std::string_view arg = argv_[index_];
    inlineValue_ = {};
    hasInline_ = false;
    const std::size_t equals = arg.find('=');
    if (arg.substr(0, 2) == "--" && equals != std::string_view::npos) {
      inlineValue_ = arg.substr(equals + 1);
      hasInline_ = true;
      arg = arg.substr(0, equals);
    }
    name_ = arg;
    return true;
  }

  std::string_view Name() const { return name_; }

  bool Value(std::string_view& value, std::string& error) {
    if (hasInline_) {
      value = inlineValue_;
      hasInline_ = false;
      return true;
    }
    if (index_ + 1 >= argc_) {
      error = "option " + std::string(name_) + " needs a value";
      return false;
    }
    value = argv_[++index_];
    return true;
  }

  bool HasUnusedValue() const { return hasInline_; }

 private:
  int argc_;
  const char* const* argv_;
  int index_ = 0;
  std::string_view name_;
  std::string_view inlineValue_;
  bool hasInline_ = false;
};

}  // namespace

bool ParseOptions(int argc, const char* const* argv, SimOptions& out, std::string& error) {
  SimOptions o;
  std::uint8_t macBase[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
  std::uint32_t ipBase = 0xC0A80065u;  // 192.168.0.101
  unsigned long long gatewayCount = 0;
  std::vector<std::string_view> specs;
  double rebootSeconds = 3.0;
  double runSeconds = 0.0;
  double streamSeconds = 5.0;

  ArgumentReader args(argc, argv);
  while (args.Next()) {
    const std::string_view name = args.Name();
    std::string_view value;
    unsigned long long number = 0;
    auto bad = [&](const char* what) {
      error = "bad value '" + std::string(value) + "' for " + std::string(name) + ": " + what;
      return false;
    };
    auto integer = [&](unsigned long long max, auto& field) {
      if (!args.Value(value, error)) return false;
      if (!ParseUnsigned(value, max, number)) return bad("not a whole number in range");
      field = static_cast<std::remove_reference_t<decltype(field)>>(number);
      return true;
    };
    auto decimal = [&](double min, double max, double& field) {
      if (!args.Value(value, error)) return false;
      if (!ParseDecimal(value, min, max, field)) return bad("not a number in range");
      return true;
    };
    auto address = [&](std::uint32_t& field) {
      if (!args.Value(value, error)) return false;
      if (!ParseIpv4(value, field)) return bad("not a dotted IPv4 address");
      return true;
    };
    auto flag = [&](bool& field) {
      if (args.HasUnusedValue()) {
        error = "option " + std::string(name) + " takes no value";
        return false;
      }
      field = true;
      return true;
    };

    bool ok = true;
    if (name == "--help" || name == "-h") {
      ok = flag(o.Help);
    } else if (name == "--bind") {
      ok = address(o.BindIp);
    } else if (name == "--interface") {
      ok = args.Value(value, error);
      if (ok && (value.empty() || value.size() >= 16)) ok = bad("not an interface name");
      if (ok) o.Interface = std::string(value);
    } else if (name == "--udp-port") {
      ok = integer(65535, o.UdpPort);
    } else if (name == "--tcp-bind") {
      ok = address(o.TcpBindIp);
      o.TcpBindGiven = true;
    } else if (name == "--tcp-port") {
      ok = integer(65535, o.TcpPort);
    } else if (name == "--no-tcp") {
      bool off = false;
      ok = flag(off);
      o.TcpEnabled = false;
    } else if (name == "--gateways") {
      ok = integer(1000, gatewayCount);
      if (ok && gatewayCount == 0) ok = bad("at least 1");
    } else if (name == "--mac-base") {
      ok = args.Value(value, error);
      if (ok && !ParseMac(value, macBase)) ok = bad("not a MAC address");
    } else if (name == "--ip-base") {
      ok = address(ipBase);
    } else if (name == "--gateway") {
      ok = args.Value(value, error);
      if (ok) specs.push_back(value);
    } else if (name == "--reply") {
      ok = args.Value(value, error);
      if (ok && value == "unicast")
        o.Reply = ReplyMode::Unicast;
      else if (ok && value == "broadcast")
        o.Reply = ReplyMode::Broadcast;
      else if (ok)
        ok = bad("unicast or broadcast");
    } else if (name == "--delay-ms") {
      ok = integer(600000, o.Faults.DelayMs);
    } else if (name == "--jitter-ms") {
      ok = integer(600000, o.Faults.JitterMs);
    } else if (name == "--loss") {
      ok = decimal(0.0, 1.0, o.Faults.Loss);
    } else if (name == "--duplicates") {
      ok = integer(100, o.Faults.Duplicates);
    } else if (name == "--seed") {
      ok = integer(~0ull, o.Faults.Seed);
      o.SeedGiven = true;
    } else if (name == "--reboot-seconds") {
      ok = decimal(0.0, 3600.0, rebootSeconds);
    } else if (name == "--log-replies") {
      ok = flag(o.LogReplies);
    } else if (name == "--hostile") {
      ok = args.Value(value, error) && ParseHostileKinds(value, o.Hostile.Kinds, error);
    } else if (name == "--hostile-only") {
      ok = flag(o.Hostile.Only);
    } else if (name == "--hostile-macs") {
      ok = integer(1000, o.Hostile.Macs);
    } else if (name == "--hostile-count") {
      ok = integer(10000, o.Hostile.FloodCount);
    } else if (name == "--hostile-rate") {
      ok = integer(1000000, o.Hostile.StreamRate);
      if (ok && o.Hostile.StreamRate == 0) ok = bad("at least 1");
    } else if (name == "--hostile-seconds") {
      ok = decimal(0.0, 3600.0, streamSeconds);
    } else if (name == "--tcp-mode") {
      ok = args.Value(value, error);
      if (!ok) {
      } else if (value == "status") {
        o.Tcp.Mode = TcpMode::Status;
      } else if (value == "flood") {
        o.Tcp.Mode = TcpMode::Flood;
      } else if (value == "close") {
        o.Tcp.Mode = TcpMode::Close;
      } else if (value == "silent") {
        o.Tcp.Mode = TcpMode::Silent;
      } else {
        ok = bad("status, flood, close or silent");
      }
    } else if (name == "--interval-ms") {
      ok = integer(3600000, o.Tcp.IntervalMs);
      if (ok && o.Tcp.IntervalMs == 0) ok = bad("at least 1");
    } else if (name == "--line-length") {
      ok = integer(8192, o.Tcp.LineLength);
      if (ok && o.Tcp.LineLength == 0) ok = bad("at least 1");
    } else if (name == "--rate") {
      ok = integer(10000000, o.Tcp.Rate);
    } else if (name == "--close-after") {
      ok = integer(1000, o.Tcp.CloseAfter);
    } else if (name == "--max-clients") {
      ok = integer(256, o.Tcp.MaxClients);
      if (ok && o.Tcp.MaxClients == 0) ok = bad("at least 1");
    } else if (name == "--run-seconds") {
      ok = decimal(0.0, 1e6, runSeconds);
    } else {
      error = "unknown option '" + std::string(name) + "' (see --help)";
      ok = false;
    }
    if (!ok) return false;
    if (args.HasUnusedValue()) {
      error = "option " + std::string(name) + " takes no value";
      return false;
    }
  }

  if (gatewayCount != 0 && gatewayCount < specs.size()) {
    error = "--gateways is smaller than the number of --gateway options";
    return false;
  }
  std::size_t count = static_cast<std::size_t>(gatewayCount);
  if (count < specs.size()) count = specs.size();
  if (count == 0) count = 1;
  for (std::size_t i = 0; i < count; ++i) {
    GatewaySetup g = DefaultGateway(i, macBase, ipBase);
    if (i < specs.size() && !ApplyGatewaySpec(specs[i], g, error)) {
      error = "--gateway " + std::to_string(i + 1) + ": " + error;
      return false;
    }
    o.Gateways.push_back(g);
  }

  if (o.Reply == ReplyMode::Broadcast && o.Interface.empty()) {
    error = "--reply broadcast needs --interface, so the broadcast leaves by a chosen interface";
    return false;
  }
  if (!o.TcpBindGiven) o.TcpBindIp = o.BindIp;
  if (!o.SeedGiven) o.Faults.Seed = ClockSeed();
  o.RebootMs = static_cast<int>(rebootSeconds * 1000.0 + 0.5);
  o.RunMs = static_cast<int>(runSeconds * 1000.0 + 0.5);
  o.Hostile.StreamMs = static_cast<int>(streamSeconds * 1000.0 + 0.5);
  out = std::move(o);
  return true;
}
