#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/gateway_record.h"

// Everything the command line sets. Plain data: each service reads its part.

enum class ReplyMode { Unicast, Broadcast };
enum class TcpMode { Status, Flood, Close, Silent };

// One gateway as it starts: the record its replies carry and the reply byte 10.
struct GatewaySetup {
  GatewayRecord Record{};
  std::uint8_t Spare = 0;
};

struct ReplyFaultOptions {
  int DelayMs = 0;
  int JitterMs = 0;    // each copy waits DelayMs plus up to JitterMs more
  double Loss = 0.0;   // probability that a copy is not sent
  int Duplicates = 0;  // extra copies of every datagram
  std::uint64_t Seed = 0;
};

struct HostileOptions {
  unsigned Kinds = 0;     // HostileKind bits
  bool Only = false;      // send the hostile datagrams without the normal replies
  int Macs = 25;          // many-macs: distinct gateways per search
  int FloodCount = 100;   // flood: copies of each reply per search
  int StreamRate = 1000;  // stream: datagrams per second
  int StreamMs = 5000;    // stream: how long after each search
};

struct TcpLineOptions {
  TcpMode Mode = TcpMode::Status;
  int IntervalMs = 1000;  // status: one line per interval
  int LineLength = 64;    // flood: characters before CR LF
  int Rate = 0;           // flood: lines per second and client, 0 = as fast as possible
  int CloseAfter = 3;     // close: lines sent before the connection is closed
  int MaxClients = 16;
};

struct SimOptions {
  Ipv4 BindIp;            // 0.0.0.0
  std::string Interface;  // empty: no SO_BINDTODEVICE
  std::uint16_t UdpPort = 8003;
  bool TcpEnabled = true;
  Ipv4 TcpBindIp;
  std::uint16_t TcpPort = 80;

  std::vector<GatewaySetup> Gateways;

  ReplyMode Reply = ReplyMode::Unicast;
  ReplyFaultOptions Faults;
  int RebootMs = 3000;
  bool ReadOnly = false;
  bool LogReplies = false;

  HostileOptions Hostile;
  TcpLineOptions Tcp;

  int RunMs = 0;  // 0: until SIGINT or SIGTERM
  bool Help = false;
};

// Fills `out` from the arguments (argv[0] is skipped). Returns false with a one-line reason in
// `error` for an unknown option, a missing or malformed value, or a contradiction.
bool ParseOptions(int argc, const char* const* argv, SimOptions& out, std::string& error);

// What is wrong with the --help text (kUsageText): options it leaves out, or names it gives
// that are no option. Empty when it fits the options.
std::vector<std::string> UsageTextMismatches();
