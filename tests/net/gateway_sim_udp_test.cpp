// The simulator as a peer of the gateway protocol on loopback: it answers searches for every
// gateway and carries out each command addressed to one of them, and says so on stdout.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <signal.h>

#include <chrono>
#include <cstring>
#include <set>
#include <string>

#include "tests/support/sim_process.h"

namespace {

const std::uint8_t kMac1[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const std::uint8_t kMac2[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
const std::uint8_t kStranger[6] = {0x02, 0x99, 0x99, 0x99, 0x99, 0x99};

// Searches and returns the decoded replies, each checked to come from the simulator's port.
std::vector<ParsedReply> Search(SimProcess& sim, UdpClient& client, std::size_t expected) {
  client.Send(sim.Udp(), BuildSearchRequest());
  std::vector<ParsedReply> replies;
  for (const ReceivedDatagram& d : client.Receive(sim, expected)) {
    ParsedReply p;
    EXPECT_TRUE(ParseFromSim(sim, d, p)) << "not a reply from the simulator's port";
    replies.push_back(p);
  }
  return replies;
}

// The one reply of the gateway with `mac` among those of a search.
const GatewayRecord* Find(const std::vector<ParsedReply>& replies, const std::uint8_t (&mac)[6]) {
  for (const ParsedReply& p : replies)
    if (std::memcmp(p.Record.Mac, mac, 6) == 0) return &p.Record;
  return nullptr;
}

TEST(GatewaySimUdp, SearchIsAnsweredByEveryGatewayWithItsSettings) {
  SimProcess sim({"--gateways", "3", "--gateway",
                  "name=line-7,ip=10.1.2.3,actual=10.1.2.99,mask=255.255.0.0,gw=10.1.0.1,"
                  "dns=10.1.0.2,server=collector.local,proxy=proxy.local,port=1234,dhcp=1,"
                  "useproxy=1,spare=66"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  const auto replies = Search(sim, client, 3);
  ASSERT_EQ(replies.size(), 3u);

  const GatewayRecord* first = Find(replies, kMac1);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->Name, "line-7");
  EXPECT_EQ(first->Ip, 0x0A010203u);
  EXPECT_EQ(first->ActualIp, 0x0A010263u);
  EXPECT_EQ(first->Netmask, 0xFFFF0000u);
  EXPECT_EQ(first->GatewayIp, 0x0A010001u);
  EXPECT_EQ(first->DnsIp, 0x0A010002u);
  EXPECT_STREQ(first->Server, "collector.local");
  EXPECT_STREQ(first->ProxyServer, "proxy.local");
  EXPECT_EQ(first->Port, 1234u);
  EXPECT_EQ(first->UseDhcp, 1);
  EXPECT_EQ(first->UseProxy, 1);

  // Gateways without a spec are numbered from the defaults.
  const GatewayRecord* second = Find(replies, kMac2);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second->Name, "sim-gw-2");
  EXPECT_EQ(second->ActualIp, 0xC0A80066u);  // 192.168.0.102
  EXPECT_EQ(second->Netmask, 0xFFFFFF00u);
  EXPECT_EQ(second->Port, 80u);

  const std::string line =
      sim.TakeLine("rx", {"cmd=SearchRequest", "mac=\"00 00 00 00 00 00\"", "outcome=answered",
                          "gateways=1,2,3", "len=10", "hex=0001000000000000000a"});
  EXPECT_NE(line.find(" from=127.0.0.1:"), std::string::npos) << line;
}

TEST(GatewaySimUdp, SetConfigShowsInTheNextReplyAndTakesEffectOnReboot) {
  SimProcess sim({"--gateways", "2", "--reboot-seconds", "0.2"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;

  GatewayRecord wanted = RecordFor(kMac1);
  wanted.Ip = 0x0A000005;
  wanted.Netmask = 0xFFFF0000;
  wanted.GatewayIp = 0x0A000001;
  wanted.DnsIp = 0x08080808;
  wanted.Port = 4001;
  wanted.UseProxy = 1;
  std::strcpy(wanted.Name, "renamed \"x\"");
  std::strcpy(wanted.Server, "srv");
  std::strcpy(wanted.ProxyServer, "px");
  client.Send(sim.Udp(), BuildSetConfigRequest(wanted));
  EXPECT_FALSE(
      sim.TakeLine("rx", {"cmd=SetConfigRequest", "mac=\"02 00 00 00 00 01\"", "dhcp=0",
                          "ip=10.0.0.5", "mask=255.255.0.0", "gw=10.0.0.1", "dns=8.8.8.8",
                          "name=\"renamed \\\"x\\\"\"", "server=\"srv\"", "useproxy=1",
                          "proxy=\"px\"", "port=4001", "outcome=applied", "gateways=1", "len=181"})
          .empty());

  auto replies = Search(sim, client, 2);
  const GatewayRecord* changed = Find(replies, kMac1);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->Ip, 0x0A000005u);
  EXPECT_EQ(changed->ActualIp, 0xC0A80065u) << "the address in use changes only on reboot";
  EXPECT_STREQ(changed->Name, "renamed \"x\"");
  EXPECT_EQ(changed->Port, 4001u);
  EXPECT_EQ(Find(replies, kMac2)->Ip, 0xC0A80066u) << "the other gateway is untouched";

  // Rebooting: silent until the reboot ends, then back with the configured address.
  client.Send(sim.Udp(), BuildRebootRequest(wanted));
  EXPECT_FALSE(
      sim.TakeLine("rx", {"cmd=RebootRequest", "seconds=0.2", "outcome=applied", "gateways=1"})
          .empty());
  client.Send(sim.Udp(), BuildSearchRequest());
  EXPECT_FALSE(sim.TakeLine("rx", {"cmd=SearchRequest", "gateways=2 "}).empty());
  client.Barrier(sim);
  const auto during = client.Drain();
  ASSERT_EQ(during.size(), 1u);
  ParsedReply only;
  ASSERT_TRUE(ParseFromSim(sim, during[0], only));
  EXPECT_STREQ(only.MacText, "02 00 00 00 00 02");

  // A command to a rebooting gateway is not heard.
  client.Send(sim.Udp(), BuildSetEepromRequest(wanted, 1, 2));
  EXPECT_FALSE(
      sim.TakeLine("rx", {"cmd=SetEepromRequest", "outcome=rebooting", "gateways=-", "previous=-"})
          .empty());

  EXPECT_FALSE(
      sim.TakeLine("awake", {"gateway=1", "mac=\"02 00 00 00 00 01\"", "actual=10.0.0.5"}).empty());
  replies = Search(sim, client, 2);
  ASSERT_NE(Find(replies, kMac1), nullptr);
  EXPECT_EQ(Find(replies, kMac1)->ActualIp, 0x0A000005u);
}

TEST(GatewaySimUdp, SetMacMakesTheGatewayAnswerUnderTheNewMac) {
  SimProcess sim({});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  const std::uint8_t newMac[6] = {0x02, 0xAB, 0xCD, 0x00, 0x12, 0x34};
  client.Send(sim.Udp(), BuildSetMacRequest(RecordFor(kMac1), newMac));
  EXPECT_FALSE(sim.TakeLine("rx", {"cmd=SetMacRequest", "mac=\"02 00 00 00 00 01\"",
                                   "new-mac=\"02 AB CD 00 12 34\"", "outcome=applied", "len=16",
                                   "hex=0006020000000001001002abcd001234"})
                   .empty());
  const auto replies = Search(sim, client, 1);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_STREQ(replies[0].MacText, "02 AB CD 00 12 34");

  // The old MAC names nobody now.
  client.Send(sim.Udp(), BuildRebootRequest(RecordFor(kMac1)));
  EXPECT_FALSE(sim.TakeLine("rx", {"cmd=RebootRequest", "outcome=unknown-mac"}).empty());
}

TEST(GatewaySimUdp, EepromWritesAreStoredPerGateway) {
  SimProcess sim({"--gateways", "2"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  client.Send(sim.Udp(), BuildSetEepromRequest(RecordFor(kMac1), 0xABC, 0x5A));
  EXPECT_FALSE(
      sim.TakeLine("rx", {"cmd=SetEepromRequest", "address=0x0ABC", "value=0x5A", "previous=0xFF",
                          "outcome=applied", "gateways=1", "hex=0007020000000001000d0abc5a"})
          .empty());
  // The second write shows the first one's byte as the one replaced; the other gateway's
  // EEPROM is still erased.
  client.Send(sim.Udp(), BuildSetEepromRequest(RecordFor(kMac1), 0xABC, 0x11));
  EXPECT_FALSE(sim.TakeLine("rx", {"address=0x0ABC", "value=0x11", "previous=0x5A"}).empty());
  client.Send(sim.Udp(), BuildSetEepromRequest(RecordFor(kMac2), 0xABC, 0x22));
  EXPECT_FALSE(sim.TakeLine("rx", {"value=0x22", "previous=0xFF", "gateways=2"}).empty());
}

TEST(GatewaySimUdp, RequestsForOtherMacsChangeNothing) {
  SimProcess sim({});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  GatewayRecord stranger = RecordFor(kStranger);
  std::strcpy(stranger.Name, "hijacked");
  const std::uint8_t newMac[6] = {0x02, 1, 2, 3, 4, 5};
  client.Send(sim.Udp(), BuildSetConfigRequest(stranger));
  client.Send(sim.Udp(), BuildSetMacRequest(stranger, newMac));
  client.Send(sim.Udp(), BuildRebootRequest(stranger));
  for (const char* command : {"cmd=SetConfigRequest", "cmd=SetMacRequest", "cmd=RebootRequest"})
    EXPECT_FALSE(sim.TakeLine("rx", {command, "outcome=unknown-mac", "gateways=-"}).empty())
        << command;

  const auto replies = Search(sim, client, 1);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_STREQ(replies[0].MacText, "02 00 00 00 00 01");
  EXPECT_STREQ(replies[0].Record.Name, "sim-gw-1");
}

TEST(GatewaySimUdp, MalformedDatagramsAreLoggedAndSkipped) {
  SimProcess sim({});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  const sockaddr_in to = sim.Udp();

  client.Send(to, nullptr, 0);
  const std::uint8_t three[3] = {0, 1, 0};
  client.Send(to, three, sizeof three);
  auto search = BuildSearchRequest();
  search[0] = 0x01;
  client.Send(to, search);
  search = BuildSearchRequest();
  search[1] = 0x03;  // a reply is not a request
  client.Send(to, search);
  search = BuildSearchRequest();
  search[9] = 0x0B;
  client.Send(to, search);
  const auto config = BuildSetConfigRequest(RecordFor(kMac1));
  client.Send(to, config.data(), 100);  // cut short
  std::vector<std::uint8_t> huge(65000, 0x5A);
  client.Send(to, huge.data(), huge.size());

  EXPECT_FALSE(sim.TakeLine("malformed", {"len=0 ", "reason=short-header"}).empty());
  EXPECT_FALSE(sim.TakeLine("malformed", {"len=3 ", "reason=short-header", "hex=000100"}).empty());
  EXPECT_FALSE(sim.TakeLine("malformed", {"reason=first-byte", "cmd=0x01"}).empty());
  EXPECT_FALSE(sim.TakeLine("malformed", {"reason=command", "cmd=0x03"}).empty());
  EXPECT_FALSE(
      sim.TakeLine("malformed", {"reason=length-field", "cmd=0x01", "length-field=11"}).empty());
  EXPECT_FALSE(sim.TakeLine("malformed", {"len=100 ", "reason=truncated", "cmd=0x04"}).empty());
  const std::string big = sim.TakeLine("malformed", {"len=65000 ", "reason=first-byte"});
  ASSERT_FALSE(big.empty());
  EXPECT_LT(big.size(), 5000u) << "only the buffer's worth of a long datagram is read";

  // Still serving.
  EXPECT_EQ(Search(sim, client, 1).size(), 1u);
  EXPECT_EQ(sim.Stop(SIGINT), 0);
  EXPECT_FALSE(sim.TakeLine("stop", {"reason=SIGINT", "requests=1", "malformed=7"}, 0).empty());
}

TEST(GatewaySimUdp, DuplicatesAndDelayShapeTheReplies) {
  SimProcess sim({"--duplicates", "2", "--delay-ms", "150", "--jitter-ms", "50", "--seed", "7"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  const auto start = std::chrono::steady_clock::now();
  client.Send(sim.Udp(), BuildSearchRequest());
  const auto replies = client.Receive(sim, 3);
  const auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_GE(waited, std::chrono::milliseconds(150));
  for (const ReceivedDatagram& d : replies)
    EXPECT_EQ(d.Bytes, replies[0].Bytes);
}

}  // namespace
