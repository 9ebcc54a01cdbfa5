// The gateway's side of the codec, which the simulator uses: a built reply parses back into the
// same record, and a request decodes to what the tool meant or is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/messages.h"
#include "tests/support/sample_record.h"

namespace {

TEST(GatewaySide, ReplyRoundTripsThroughTheToolsParser) {
  GatewayRecord r = SampleRecord();
  r.UseDhcp = 1;
  const auto bytes = BuildGatewayInfoReply(r, 0x42);
  EXPECT_EQ(bytes[10], 0x42);
  ParsedReply p;
  ASSERT_TRUE(ParseGatewayInfoReply(bytes, 8003, p));
  EXPECT_EQ(std::memcmp(&p.Record, &r, sizeof r), 0);

  GatewayRequest q;
  const auto config = BuildSetConfigRequest(r);
  ASSERT_TRUE(DecodeGatewayRequest(config, q));
  EXPECT_EQ(q.Command, CmdSetConfigRequest);
  EXPECT_EQ(q.Settings.Ip, r.Ip);
  EXPECT_STREQ(q.Settings.ProxyServer, "proxy.plant.example");
  const auto eeprom = BuildSetEepromRequest(r, 0x1F0, 0xA5);
  ASSERT_TRUE(DecodeGatewayRequest(eeprom, q));
  EXPECT_EQ(q.EepromAddress, 0x1F0);
  EXPECT_EQ(q.EepromValue, 0xA5);
}

TEST(GatewaySide, RejectsMalformedRequests) {
  GatewayRequest q;
  auto search = BuildSearchRequest();
  EXPECT_FALSE(DecodeGatewayRequest(std::span(search).first(9), q));  // short
  search[9] = 0x0B;
  EXPECT_FALSE(DecodeGatewayRequest(search, q));  // wrong length field
  search = BuildSearchRequest();
  search[0] = 1;
  EXPECT_FALSE(DecodeGatewayRequest(search, q));
  search = BuildSearchRequest();
  search[1] = 0x03;  // a reply is not a request
  EXPECT_FALSE(DecodeGatewayRequest(search, q));
  const auto config = BuildSetConfigRequest(kEmptyGatewayRecord);
  EXPECT_FALSE(DecodeGatewayRequest(std::span(config).first(180), q));  // the header says 181
}

}  // namespace
