// The simulator on loopback: it answers searches, carries out each command for the MAC it names
// and for no other, survives garbage and refuses to broadcast without a chosen interface. The
// requests byte for byte, the hostile replies, the TCP lines and the namespaces are the end-to-end
// tests' part.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "protocol/messages.h"
#include "tests/support/sim_process.h"

namespace {

// A UDP socket that talks to the simulator on 127.0.0.1.
struct Client {
  ~Client() { close(Fd); }
  // Sends the request, or its first `count` bytes.
  template <class Bytes>
  void Send(const Bytes& bytes, std::size_t count = SIZE_MAX) {
    const sockaddr_in to{AF_INET, Sim.Port("udp"), {htonl(INADDR_LOOPBACK)}, {}};
    sendto(Fd, bytes.data(), std::min(count, bytes.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  // The replies to a search by MAC, once `expected` of them came.
  std::map<std::string, GatewayRecord> Search(std::size_t expected) {
    Send(BuildSearchRequest());
    std::map<std::string, GatewayRecord> replies;
    std::uint8_t bytes[1024];
    ParsedReply p;
    for (pollfd wait{Fd, POLLIN, 0}; replies.size() < expected && poll(&wait, 1, 2000) == 1;) {
      const ssize_t n = recv(Fd, bytes, sizeof bytes, 0);
      EXPECT_TRUE(
          ParseGatewayInfoReply(std::span(bytes, static_cast<std::size_t>(n)), kGatewayPort, p));
      replies[p.MacText] = p.Record;
    }
    return replies;
  }
  SimProcess& Sim;
  const int Fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
};

TEST(GatewaySimUdp, AnswersSearchesAndCarriesOutEachCommandOnlyForTheMacItNames) {
  SimProcess sim("", {"--gateways", "2", "--reboot-seconds", "0.5"});
  Client client{sim};
  EXPECT_EQ(client.Search(2).size(), 2u);
  // Set-config, to 02 00 00 00 00 01; the name cannot break or forge a log line.
  GatewayRecord one = kEmptyGatewayRecord;
  std::memcpy(one.Mac, "\x02\0\0\0\0\x01", 6);
  one.Ip = Ipv4::FromNumber(0x0A000005);
  std::strcpy(one.Name, "a\"b\r\nc x=1");
  client.Send(BuildSetConfigRequest(one));
  EXPECT_FALSE(sim.TakeLine("rx", {"name=\"a\\\"b\\x0d\\x0ac x=1\"", "outcome=applied"}).empty());
  // EEPROM: the byte is logged with the one it replaces.
  client.Send(BuildSetEepromRequest(one, 0xABC, 0x5A));
  EXPECT_FALSE(sim.TakeLine("rx", {"address=0x0ABC", "value=0x5A", "previous=0xFF"}).empty());
  // Set-MAC: gateway 2 becomes 02 00 00 00 00 99; its old MAC, like any other, names nobody.
  GatewayRecord other = one;
  other.Mac[5] = 0x02;
  const std::uint8_t newMac[6] = {0x02, 0, 0, 0, 0, 0x99};
  client.Send(BuildSetMacRequest(other, newMac));
  std::strcpy(other.Name, "hijacked");
  client.Send(BuildSetConfigRequest(other));
  other.Mac[5] = 0x77;
  client.Send(BuildSetConfigRequest(other));
  auto replies = client.Search(2);
  EXPECT_EQ(replies["02 00 00 00 00 01"].Ip.Number(), 0x0A000005u);
  EXPECT_EQ(replies["02 00 00 00 00 01"].ActualIp.Number(), 0xC0A80065u)
      << "changes only on reboot";
  EXPECT_STREQ(replies["02 00 00 00 00 99"].Name, "sim-gw-2");

  // Reboot: silent until it ends (only gateway 2 answered), then back with the configured
  // address in use.
  client.Send(BuildRebootRequest(one));
  EXPECT_EQ(client.Search(1).count("02 00 00 00 00 99"), 1u);
  EXPECT_FALSE(sim.TakeLine("rx", {"cmd=SearchRequest", "gateways=2 "}).empty());
  EXPECT_FALSE(sim.TakeLine("awake", {"gateway=1", "actual=10.0.0.5"}, 5000).empty());
  EXPECT_EQ(client.Search(2)["02 00 00 00 00 01"].ActualIp, Ipv4(10, 0, 0, 5));
}

TEST(GatewaySimUdp, GarbageIsLoggedAndSkippedAndABroadcastNeedsAChosenInterface) {
  SimProcess sim("", {});
  Client client{sim};
  client.Send(std::string());
  client.Send(BuildSetConfigRequest(kEmptyGatewayRecord), 100);  // cut short
  client.Send(std::string(65000, 'Z'));
  EXPECT_EQ(client.Search(1).size(), 1u);
  EXPECT_EQ(sim.Stop(SIGINT), 0);
  EXPECT_FALSE(sim.TakeLine("stop", {"reason=SIGINT", "requests=1", "malformed=3"}, 0).empty());

  // Without --interface a broadcast could leave by the default route: refused.
  EXPECT_FALSE(SimProcess("", {"--reply", "broadcast"}).Ready());
}

}  // namespace
