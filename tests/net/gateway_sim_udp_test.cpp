// The simulator as a peer of the gateway protocol on loopback: it answers searches, carries out
// and logs each command for the MAC it names, sends the hostile replies it claims, and survives
// garbage.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "protocol/messages.h"
#include "tests/support/sim_process.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A UDP socket on 127.0.0.1 that talks to the simulator.
class Client {
 public:
  explicit Client(SimProcess& sim) : Sim(sim) {
    EXPECT_TRUE(sim.Ready()) << "the simulator did not start";
    sockaddr_in local{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    bind(Fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
  }
  ~Client() { close(Fd); }
  // Sends the request, or its first `count` bytes.
  template <class Request>
  void Send(const Request& request, std::size_t count = SIZE_MAX) {
    sendto(Fd, request.data(), std::min(count, request.size()), 0,
           reinterpret_cast<const sockaddr*>(&Sim.Udp()), sizeof(sockaddr_in));
  }
  // Sends the request and yields every datagram it brought: waits for `expected` of them, then
  // for the log line of a one-byte marker, which the simulator prints only after sending all
  // that the request made due, and takes whatever else came meanwhile.
  template <class Request>
  std::vector<Bytes> Exchange(const Request& request, std::size_t expected) {
    Send(request);
    std::vector<Bytes> got;
    pollfd wait{Fd, POLLIN, 0};
    while (got.size() < expected && poll(&wait, 1, 2000) == 1)
      Take(got);
    Send(std::string(1, '\xA5'));
    EXPECT_FALSE(Sim.TakeLine("malformed", {"len=1 "}).empty());
    Take(got);
    return got;
  }

 private:
  void Take(std::vector<Bytes>& got) {
    Bytes bytes(70000);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    for (ssize_t n; (n = recvfrom(Fd, bytes.data(), bytes.size(), MSG_DONTWAIT,
                                  reinterpret_cast<sockaddr*>(&from), &length)) >= 0;) {
      EXPECT_EQ(from.sin_port, Sim.Udp().sin_port) << "not from the simulator's port";
      got.emplace_back(bytes.begin(), bytes.begin() + n);
    }
  }
  SimProcess& Sim;
  int Fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
};

// A record naming the gateway with MAC 02 00 00 00 00 `last`, for the request builders.
GatewayRecord To(int last) {
  GatewayRecord r = kEmptyGatewayRecord;
  r.Mac[0] = 0x02;
  r.Mac[5] = static_cast<std::uint8_t>(last);
  return r;
}

// Whether the simulator logged receiving a request with all these parts.
bool Logged(SimProcess& sim, std::initializer_list<std::string_view> parts) {
  return !sim.TakeLine("rx", parts).empty();
}

// The replies to a search, decoded by the program's parser, by MAC text.
std::map<std::string, GatewayRecord> Search(Client& client, std::size_t expected) {
  std::map<std::string, GatewayRecord> replies;
  for (const Bytes& b : client.Exchange(BuildSearchRequest(), expected)) {
    ParsedReply p;
    EXPECT_TRUE(ParseGatewayInfoReply(b.data(), b.size(), kGatewayPort, p));
    replies[p.MacText] = p.Record;
  }
  return replies;
}

TEST(GatewaySimUdp, AnswersSearchesAndCarriesOutEachCommandForTheMacItNames) {
  SimProcess sim({"--gateways", "2", "--reboot-seconds", "0.5"});
  Client client(sim);
  EXPECT_EQ(Search(client, 2).size(), 2u);
  EXPECT_TRUE(Logged(sim, {"cmd=SearchRequest", "from=127.0.0.1:", "outcome=answered",
                           "gateways=1,2", "hex=0001000000000000000a"}));

  // Set-config shows in the next reply; the name cannot break or forge a log line.
  GatewayRecord config = To(1);
  config.Ip = 0x0A000005;
  std::strcpy(config.Name, "a\"b\r\nc x=1");
  client.Send(BuildSetConfigRequest(config));
  EXPECT_TRUE(Logged(sim, {"cmd=SetConfigRequest", "mac=\"02 00 00 00 00 01\"", "ip=10.0.0.5",
                           "name=\"a\\\"b\\x0d\\x0ac x=1\"", "outcome=applied", "gateways=1"}));
  // EEPROM bytes are stored: the second write replaces the first one's byte.
  client.Send(BuildSetEepromRequest(To(1), 0xABC, 0x5A));
  client.Send(BuildSetEepromRequest(To(1), 0xABC, 0x11));
  EXPECT_TRUE(Logged(sim, {"cmd=SetEepromRequest", "address=0x0ABC", "value=0x5A", "previous=0xFF",
                           "outcome=applied", "gateways=1"}));
  EXPECT_TRUE(Logged(sim, {"value=0x11", "previous=0x5A", "gateways=1"}));
  // Set-MAC: gateway 2 answers under the new MAC, and the old one names nobody.
  const std::uint8_t newMac[6] = {0x02, 0, 0, 0, 0, 0x99};
  client.Send(BuildSetMacRequest(To(2), newMac));
  EXPECT_TRUE(Logged(sim, {"cmd=SetMacRequest", "new-mac=\"02 00 00 00 00 99\"", "outcome=applied",
                           "gateways=2"}));
  for (const int stranger : {2, 0x77}) {
    GatewayRecord hijack = To(stranger);
    std::strcpy(hijack.Name, "hijacked");
    client.Send(BuildSetConfigRequest(hijack));
    client.Send(BuildSetMacRequest(hijack, newMac));
    client.Send(BuildRebootRequest(hijack));
    for (const char* command : {"cmd=SetConfigRequest", "cmd=SetMacRequest", "cmd=RebootRequest"})
      EXPECT_TRUE(Logged(sim, {command, "outcome=unknown-mac", "gateways=-"}));
  }
  auto replies = Search(client, 2);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies["02 00 00 00 00 01"].Ip, 0x0A000005u);
  EXPECT_EQ(replies["02 00 00 00 00 01"].ActualIp, 0xC0A80065u) << "changes only on reboot";
  EXPECT_STREQ(replies["02 00 00 00 00 01"].Name, "a\"b\r\nc x=1");
  EXPECT_STREQ(replies["02 00 00 00 00 99"].Name, "sim-gw-2");

  // Reboot: silent until it ends, then back with the configured address.
  client.Send(BuildRebootRequest(To(1)));
  EXPECT_TRUE(Logged(sim, {"cmd=RebootRequest", "outcome=applied"}));
  replies = Search(client, 1);
  EXPECT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies.count("02 00 00 00 00 99"), 1u);
  EXPECT_FALSE(sim.TakeLine("awake", {"gateway=1", "actual=10.0.0.5"}, 5000).empty());
  replies = Search(client, 2);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies["02 00 00 00 00 01"].ActualIp, 0x0A000005u);
}

TEST(GatewaySimUdp, GarbageIsLoggedAndSkippedAndABroadcastNeedsAChosenInterface) {
  SimProcess sim({});
  Client client(sim);
  auto reply = BuildSearchRequest();
  reply[1] = 0x03;  // a reply is not a request
  client.Send(std::string());
  client.Send(reply);
  client.Send(BuildSetConfigRequest(To(1)), 100);  // cut short
  client.Send(Bytes(65000, 0x5A));
  EXPECT_FALSE(sim.TakeLine("malformed", {"len=65000 ", "reason=first-byte"}).empty());
  EXPECT_EQ(Search(client, 1).size(), 1u);
  EXPECT_EQ(sim.Stop(SIGINT), 0);
  EXPECT_FALSE(sim.TakeLine("stop", {"reason=SIGINT", "requests=1", "malformed=5"}, 0).empty());

  // Without --interface a broadcast could leave by the default route: refused.
  EXPECT_FALSE(SimProcess({"--reply", "broadcast"}).Ready());
}

TEST(GatewaySimUdp, HostileKindsSendExactlyWhatTheyClaim) {
  SimProcess sim({"--hostile", "malformed,many-macs", "--hostile-macs", "25"});
  Client client(sim);
  // 2 length-field + 1 short + 2 long + 1 no-nul + 2 bad-command + 1 first-byte + 25 + 1.
  const auto got = client.Exchange(BuildSearchRequest(), 35);
  ASSERT_EQ(got.size(), 35u);
  std::map<std::string, int> seen;
  std::set<std::string> macs;
  for (const Bytes& b : got) {
    ASSERT_GE(b.size(), 10u);
    ParsedReply p;
    const bool taken = ParseGatewayInfoReply(b.data(), b.size(), kGatewayPort, p);
    const int field = b[8] << 8 | b[9];
    const std::string kind = [&]() -> std::string {
      if (b[0] != 0x00) return "first-byte";
      if (b[1] != 0x03) return "command-" + std::to_string(b[1]);
      if (field != 186) return "length-field-" + std::to_string(field);
      if (b.size() != 186) return "size-" + std::to_string(b.size());
      if (!taken) return "not-taken";
      if (std::strncmp(p.Record.Name, "many-", 5) == 0 && macs.insert(p.MacText).second)
        return "many-macs";
      // Name, server and proxy (at 28, 49, 115) without a terminator in their wire width.
      const auto filled = [&](int at, int width) { return !std::count(&b[at], &b[at + width], 0); };
      if (filled(28, 21) && filled(49, 65) && filled(115, 65)) return "no-nul";
      return "normal";
    }();
    ++seen[kind];
  }
  const std::map<std::string, int> expected = {
      {"first-byte", 1},       {"command-4", 1},  {"command-2", 1}, {"length-field-185", 1},
      {"length-field-187", 1}, {"size-100", 1},   {"size-255", 1},  {"size-300", 1},
      {"no-nul", 1},           {"many-macs", 25}, {"normal", 1}};
  EXPECT_EQ(seen, expected);
  ParsedReply last;
  ASSERT_TRUE(ParseGatewayInfoReply(got.back().data(), got.back().size(), kGatewayPort, last));
  EXPECT_STREQ(last.Record.Name, "sim-gw-1") << "the normal reply comes last";
}

}  // namespace
