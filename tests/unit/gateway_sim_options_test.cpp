// The simulator's command line: defaults that number the gateways, per-gateway settings, and
// the refusals that keep a bad or unsafe start from happening.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/gateway_sim/options.h"

namespace {

bool Parse(std::vector<const char*> args, SimOptions& out, std::string& error) {
  args.insert(args.begin(), "gateway_sim");
  return ParseOptions(static_cast<int>(args.size()), args.data(), out, error);
}

SimOptions MustParse(std::vector<const char*> args) {
  SimOptions o;
  std::string error;
  EXPECT_TRUE(Parse(std::move(args), o, error)) << error;
  return o;
}

std::string Refusal(std::vector<const char*> args) {
  SimOptions o;
  std::string error;
  EXPECT_FALSE(Parse(std::move(args), o, error));
  return error;
}

TEST(GatewaySimOptions, DefaultsNumberTheGatewaysFromTheBases) {
  const SimOptions o =
      MustParse({"--gateways", "3", "--mac-base", "02-00-00-00-00-FF", "--ip-base", "10.0.0.254"});
  ASSERT_EQ(o.Gateways.size(), 3u);
  const GatewayRecord& third = o.Gateways[2].Record;
  const std::uint8_t mac[6] = {0x02, 0x00, 0x00, 0x00, 0x01, 0x01};  // carries into byte 4
  EXPECT_EQ(std::vector<std::uint8_t>(third.Mac, third.Mac + 6),
            std::vector<std::uint8_t>(mac, mac + 6));
  EXPECT_EQ(third.Ip, 0x0A000100u);  // 10.0.1.0
  EXPECT_EQ(third.ActualIp, third.Ip);
  EXPECT_EQ(third.GatewayIp, 0x0A000001u);
  EXPECT_STREQ(third.Name, "sim-gw-3");
  EXPECT_EQ(third.Port, 80u);
  EXPECT_EQ(o.UdpPort, 8003);
  EXPECT_EQ(o.TcpPort, 80);
  EXPECT_EQ(o.RebootMs, 3000);
}

TEST(GatewaySimOptions, GatewaySpecsSetTheirGatewayAndCountItself) {
  const SimOptions o = MustParse(
      {"--gateway", "mac=020000000abc,actual=1.2.3.4,ip=5.6.7.8,name=a,port=65535,dhcp=2",
       "--gateway=name=b,server=s,proxy=p,useproxy=1,spare=255", "--reboot-seconds=0.25"});
  ASSERT_EQ(o.Gateways.size(), 2u);
  const GatewayRecord& a = o.Gateways[0].Record;
  EXPECT_EQ(a.Mac[5], 0xBC);
  EXPECT_EQ(a.ActualIp, 0x01020304u) << "ip= does not override an explicit actual=";
  EXPECT_EQ(a.Ip, 0x05060708u);
  EXPECT_EQ(a.Port, 65535u);
  EXPECT_EQ(a.UseDhcp, 2);
  EXPECT_STREQ(o.Gateways[1].Record.ProxyServer, "p");
  EXPECT_EQ(o.Gateways[1].Spare, 255);
  EXPECT_EQ(o.Gateways[1].Record.Mac[5], 0x02) << "unset keys keep the numbered default";
  EXPECT_EQ(o.RebootMs, 250);
}

TEST(GatewaySimOptions, RefusesBadValuesAndUnsafeCombinations) {
  EXPECT_NE(Refusal({"--gateway", "name=twenty-one-characters"}).find("name"), std::string::npos);
  EXPECT_NE(Refusal({"--gateway", "port=65536"}).find("port"), std::string::npos);
  EXPECT_NE(Refusal({"--gateway", "colour=red"}).find("colour"), std::string::npos);
  EXPECT_NE(Refusal({"--gateway", "mac=02:00:00:00:00"}).find("mac"), std::string::npos);
  EXPECT_NE(Refusal({"--gateway", "mac=0:200:00:00:00:01"}).find("mac"), std::string::npos);
  EXPECT_NE(Refusal({"--bind", "127.0.0.256"}).find("--bind"), std::string::npos);
  EXPECT_NE(Refusal({"--loss", "1.5"}).find("--loss"), std::string::npos);
  EXPECT_NE(Refusal({"--udp-port"}).find("needs a value"), std::string::npos);
  EXPECT_NE(Refusal({"--log-replies=1"}).find("takes no value"), std::string::npos);
  EXPECT_NE(Refusal({"--hostile", "short,nasty"}).find("nasty"), std::string::npos);
  EXPECT_NE(Refusal({"--gateways", "1", "--gateway", "name=a", "--gateway", "name=b"}), "");
  // A broadcast must leave by a chosen interface, never by the default route.
  EXPECT_NE(Refusal({"--reply", "broadcast"}).find("--interface"), std::string::npos);
  EXPECT_EQ(MustParse({"--reply", "broadcast", "--interface", "veth1"}).Reply,
            ReplyMode::Broadcast);
}

}  // namespace
