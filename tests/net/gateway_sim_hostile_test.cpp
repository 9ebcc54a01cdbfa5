// Hostile answers on loopback: each kind sends exactly the broken or overwhelming datagrams
// it is documented to send, so robustness tests of a receiver can rely on them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "tests/support/sim_process.h"

namespace {

std::size_t LengthField(const std::vector<std::uint8_t>& b) {
  return b.size() >= 10 ? static_cast<std::size_t>(b[8] << 8 | b[9]) : 0;
}

bool HasNul(const std::vector<std::uint8_t>& b, std::size_t offset, std::size_t width) {
  for (std::size_t i = offset; i < offset + width; ++i)
    if (b[i] == 0) return true;
  return false;
}

TEST(GatewaySimHostile, MalformedAndManyMacKindsSendWhatTheyClaim) {
  SimProcess sim({"--hostile", "malformed,many-macs", "--hostile-macs", "25"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  client.Send(sim.Udp(), BuildSearchRequest());
  // 2 length-field + 1 short + 2 long + 1 no-nul + 2 bad-command + 1 first-byte + 25 + 1.
  const auto got = client.Receive(sim, 35);
  ASSERT_EQ(got.size(), 35u);
  client.Barrier(sim);
  EXPECT_TRUE(client.Drain().empty()) << "nothing beyond what the kinds claim";

  std::map<std::string, int> seen;
  std::set<std::string> manyMacs;
  for (const ReceivedDatagram& d : got) {
    const auto& b = d.Bytes;
    ASSERT_GE(b.size(), 10u);
    ParsedReply p;
    const bool accepted = ParseFromSim(sim, d, p);
    if (b[0] == 0x01) {
      ++seen["first-byte"];
      EXPECT_EQ(b.size(), 186u);
    } else if (b[1] == 0x04) {
      ++seen["command-0x04"];
      EXPECT_EQ(b.size(), 181u);
      EXPECT_EQ(LengthField(b), 181u);
    } else if (b[1] == 0x02) {
      ++seen["command-0x02"];
      EXPECT_EQ(LengthField(b), 186u);
    } else if (LengthField(b) != 186) {
      ++seen["length-field-" + std::to_string(LengthField(b))];
      EXPECT_EQ(b.size(), 186u);
      EXPECT_FALSE(accepted);
    } else if (b.size() != 186) {
      ++seen["size-" + std::to_string(b.size())];
      EXPECT_EQ(b[1], 0x03) << "header intact";
    } else if (!HasNul(b, 28, 21) && !HasNul(b, 49, 65) && !HasNul(b, 115, 65)) {
      ++seen["no-nul"];
      ASSERT_TRUE(accepted);
      EXPECT_EQ(std::strlen(p.Record.Name), 20u);
      EXPECT_EQ(std::strlen(p.Record.Server), 64u);
      EXPECT_EQ(std::strlen(p.Record.ProxyServer), 64u);
    } else {
      ASSERT_TRUE(accepted);
      if (std::string(p.Record.Name).rfind("many-", 0) == 0)
        manyMacs.insert(p.MacText);
      else
        ++seen["normal"];
    }
  }
  const std::map<std::string, int> expected = {
      {"first-byte", 1},       {"command-0x04", 1}, {"command-0x02", 1}, {"length-field-185", 1},
      {"length-field-187", 1}, {"size-100", 1},     {"size-255", 1},     {"size-300", 1},
      {"no-nul", 1},           {"normal", 1}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(manyMacs.size(), 25u);
  EXPECT_EQ(manyMacs.count("02 BA D0 00 00 01"), 1u);
  ParsedReply last;
  ASSERT_TRUE(ParseFromSim(sim, got.back(), last));
  EXPECT_STREQ(last.Record.Name, "sim-gw-1") << "the normal reply comes last";
}

TEST(GatewaySimHostile, FloodSendsTheCountOfCopiesPerSearch) {
  SimProcess sim({"--hostile", "flood", "--hostile-count", "200", "--hostile-only"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  client.Send(sim.Udp(), BuildSearchRequest());
  const auto got = client.Receive(sim, 200);
  ASSERT_EQ(got.size(), 200u);
  client.Barrier(sim);
  EXPECT_TRUE(client.Drain().empty());
  for (const ReceivedDatagram& d : got)
    EXPECT_EQ(d.Bytes, got[0].Bytes);
}

TEST(GatewaySimHostile, StreamSendsAtItsRateForItsTimeThenStops) {
  SimProcess sim({"--hostile", "stream", "--hostile-only", "--hostile-rate", "400",
                  "--hostile-seconds", "0.25"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  client.Send(sim.Udp(), BuildSearchRequest());
  // One at once and one every 2.5 ms for 250 ms.
  const auto got = client.Receive(sim, 101, 3000);
  EXPECT_EQ(got.size(), 101u);
  client.Barrier(sim);
  EXPECT_TRUE(client.Drain().empty()) << "the stream has ended";
}

TEST(GatewaySimHostile, HostileOnlyWithoutVolumeKindsLeavesOutTheNormalReply) {
  SimProcess sim({"--hostile", "short", "--hostile-only", "--gateways", "2"});
  ASSERT_TRUE(sim.Ready());
  UdpClient client;
  client.Send(sim.Udp(), BuildSearchRequest());
  const auto got = client.Receive(sim, 2);
  client.Barrier(sim);
  EXPECT_TRUE(client.Drain().empty());
  ASSERT_EQ(got.size(), 2u);
  for (const ReceivedDatagram& d : got)
    EXPECT_EQ(d.Bytes.size(), 100u);
}

}  // namespace
