// The gateway's side of the codec, which the simulator uses: every request the tool builds
// decodes to what was meant, and a built reply parses back into the same record.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/messages.h"

namespace {

GatewayRecord SampleRecord() {
  GatewayRecord r = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
  std::memcpy(r.Mac, mac, 6);
  r.ActualIp = 0x0A000105;
  r.UseDhcp = 1;
  r.Ip = 0x0A000105;
  r.Netmask = 0xFFFF0000;
  r.GatewayIp = 0x0A000001;
  r.DnsIp = 0x0A000002;
  r.Port = 1234;
  r.UseProxy = 1;
  std::strcpy(r.Name, "line-7");
  std::strcpy(r.Server, "collector.local");
  std::strcpy(r.ProxyServer, "proxy.local");
  return r;
}

TEST(GatewaySide, ReplyRoundTripsThroughTheToolsParser) {
  const GatewayRecord r = SampleRecord();
  const auto bytes = BuildGatewayInfoReply(r, 0x42);
  EXPECT_EQ(bytes[10], 0x42);
  ParsedReply p;
  ASSERT_TRUE(ParseGatewayInfoReply(bytes.data(), bytes.size(), 8003, p));
  EXPECT_EQ(std::memcmp(&p.Record, &r, sizeof r), 0);
  EXPECT_STREQ(p.MacText, "02 AA BB CC DD EE");
}

TEST(GatewaySide, DecodesEveryRequestTheToolBuilds) {
  const GatewayRecord r = SampleRecord();
  GatewayRequest q;

  const auto search = BuildSearchRequest();
  ASSERT_TRUE(DecodeGatewayRequest(search.data(), search.size(), q));
  EXPECT_EQ(q.Command, CmdSearchRequest);

  const auto reboot = BuildRebootRequest(r);
  ASSERT_TRUE(DecodeGatewayRequest(reboot.data(), reboot.size(), q));
  EXPECT_EQ(q.Command, CmdRebootRequest);
  EXPECT_EQ(std::memcmp(q.Mac, r.Mac, 6), 0);

  const auto config = BuildSetConfigRequest(r);
  ASSERT_TRUE(DecodeGatewayRequest(config.data(), config.size(), q));
  EXPECT_EQ(q.Command, CmdSetConfigRequest);
  EXPECT_EQ(q.Settings.Ip, r.Ip);
  EXPECT_EQ(q.Settings.DnsIp, r.DnsIp);
  EXPECT_EQ(q.Settings.Port, 1234u);
  EXPECT_STREQ(q.Settings.Name, "line-7");
  EXPECT_STREQ(q.Settings.ProxyServer, "proxy.local");

  const std::uint8_t newMac[6] = {1, 2, 3, 4, 5, 6};
  const auto setMac = BuildSetMacRequest(r, newMac);
  ASSERT_TRUE(DecodeGatewayRequest(setMac.data(), setMac.size(), q));
  EXPECT_EQ(q.Command, CmdSetMacRequest);
  EXPECT_EQ(std::memcmp(q.NewMac, newMac, 6), 0);

  const auto eeprom = BuildSetEepromRequest(r, 0x1F0, 0xA5);
  ASSERT_TRUE(DecodeGatewayRequest(eeprom.data(), eeprom.size(), q));
  EXPECT_EQ(q.Command, CmdSetEepromRequest);
  EXPECT_EQ(q.EepromAddress, 0x1F0);
  EXPECT_EQ(q.EepromValue, 0xA5);
}

TEST(GatewaySide, RejectsMalformedRequests) {
  GatewayRequest q;
  auto search = BuildSearchRequest();
  EXPECT_FALSE(DecodeGatewayRequest(search.data(), 9, q));  // short
  search[9] = 0x0B;
  EXPECT_FALSE(DecodeGatewayRequest(search.data(), search.size(), q));  // wrong length field
  search = BuildSearchRequest();
  search[0] = 1;
  EXPECT_FALSE(DecodeGatewayRequest(search.data(), search.size(), q));
  search = BuildSearchRequest();
  search[1] = 0x03;  // a reply is not a request
  EXPECT_FALSE(DecodeGatewayRequest(search.data(), search.size(), q));

  const auto config = BuildSetConfigRequest(SampleRecord());
  EXPECT_FALSE(DecodeGatewayRequest(config.data(), 180, q));  // header says 181
}

}  // namespace
