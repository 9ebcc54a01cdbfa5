// Checking and decoding the gateway information reply.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/messages.h"

namespace {

std::vector<std::uint8_t> ValidReply() {
  std::vector<std::uint8_t> b(186, 0);
  b[1] = 0x03;
  const std::uint8_t mac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
  std::memcpy(&b[2], mac, 6);
  b[8] = 0x00;
  b[9] = 0xBA;
  b[10] = 0x77;  // not interpreted
  const std::uint8_t actual[4] = {192, 168, 1, 50};
  std::memcpy(&b[11], actual, 4);
  b[15] = 1;
  const std::uint8_t ip[4] = {192, 168, 1, 10};
  std::memcpy(&b[16], ip, 4);
  const std::uint8_t mask[4] = {255, 255, 255, 0};
  std::memcpy(&b[20], mask, 4);
  const std::uint8_t gw[4] = {192, 168, 1, 1};
  std::memcpy(&b[24], gw, 4);
  std::memcpy(&b[28], "module-a", 9);
  std::memcpy(&b[49], "server.example", 15);
  b[114] = 7;
  std::memcpy(&b[115], "proxy", 6);
  b[180] = 0x1F;
  b[181] = 0x43;
  const std::uint8_t dns[4] = {8, 8, 4, 4};
  std::memcpy(&b[182], dns, 4);
  return b;
}

bool Parse(const std::vector<std::uint8_t>& b, ParsedReply& out, std::uint16_t port = 8003) {
  return ParseGatewayInfoReply(b.data(), b.size(), port, out);
}

TEST(GatewayInfoReply, DecodesEveryField) {
  ParsedReply p;
  ASSERT_TRUE(Parse(ValidReply(), p));
  EXPECT_STREQ(p.MacText, "02 00 00 00 00 01");
  EXPECT_EQ(p.Record.ActualIp, 0xC0A80132u);
  EXPECT_EQ(p.Record.UseDhcp, 1);
  EXPECT_EQ(p.Record.Ip, 0xC0A8010Au);
  EXPECT_EQ(p.Record.Netmask, 0xFFFFFF00u);
  EXPECT_EQ(p.Record.GatewayIp, 0xC0A80101u);
  EXPECT_STREQ(p.Record.Name, "module-a");
  EXPECT_STREQ(p.Record.Server, "server.example");
  EXPECT_EQ(p.Record.UseProxy, 7);  // flags are kept as they stand
  EXPECT_STREQ(p.Record.ProxyServer, "proxy");
  EXPECT_EQ(p.Record.Port, 8003u);
  EXPECT_EQ(p.Record.DnsIp, 0x08080404u);
}

TEST(GatewayInfoReply, MacTextIsUpperCaseHexPairs) {
  auto b = ValidReply();
  const std::uint8_t mac[6] = {0xab, 0x0c, 0xff, 0x00, 0x10, 0x9e};
  std::memcpy(&b[2], mac, 6);
  ParsedReply p;
  ASSERT_TRUE(Parse(b, p));
  EXPECT_STREQ(p.MacText, "AB 0C FF 00 10 9E");
}

TEST(GatewayInfoReply, RejectsEverythingThatIsNotAFullReplyFromPort8003) {
  ParsedReply p;
  EXPECT_FALSE(Parse(ValidReply(), p, 8004));
  EXPECT_FALSE(Parse(ValidReply(), p, 0));

  auto b = ValidReply();
  b[0] = 0x01;
  EXPECT_FALSE(Parse(b, p));

  for (int length : {185, 187, 0, 0x01BA}) {
    b = ValidReply();
    b[8] = static_cast<std::uint8_t>(length >> 8);
    b[9] = static_cast<std::uint8_t>(length & 0xFF);
    EXPECT_FALSE(Parse(b, p)) << length;
  }

  // A set-config request with its own correct length is not a reply.
  b = ValidReply();
  b.resize(181);
  b[1] = 0x04;
  b[9] = 0xB5;
  EXPECT_FALSE(Parse(b, p));

  // Every other command code with the reply's length.
  for (int command = 0; command < 256; ++command) {
    if (command == 0x03) continue;
    b = ValidReply();
    b[1] = static_cast<std::uint8_t>(command);
    EXPECT_FALSE(Parse(b, p)) << command;
  }
}

TEST(GatewayInfoReply, ShortDatagramIsRejectedEvenWithAPerfectHeader) {
  const auto full = ValidReply();
  ParsedReply p;
  for (std::size_t count : {0u, 1u, 9u, 10u, 11u, 100u, 185u}) {
    // Exactly `count` bytes of storage, so a read past them shows under the sanitizers.
    std::vector<std::uint8_t> shortOne(full.begin(), full.begin() + static_cast<long>(count));
    EXPECT_FALSE(ParseGatewayInfoReply(shortOne.data(), shortOne.size(), 8003, p)) << count;
  }
  EXPECT_FALSE(ParseGatewayInfoReply(nullptr, 0, 8003, p));
}

TEST(GatewayInfoReply, LongerDatagramWithTheRightLengthFieldIsTaken) {
  auto b = ValidReply();
  b.resize(255, 0xEE);
  ParsedReply p;
  EXPECT_TRUE(Parse(b, p));
}

TEST(GatewayInfoReply, TextsWithoutTerminatorAreCutToTheirWidthLessOne) {
  auto b = ValidReply();
  std::memset(&b[28], 'n', 21);
  std::memset(&b[49], 's', 65);
  std::memset(&b[115], 'p', 65);
  ParsedReply p;
  ASSERT_TRUE(Parse(b, p));
  EXPECT_EQ(std::string(p.Record.Name), std::string(20, 'n'));
  EXPECT_EQ(std::string(p.Record.Server), std::string(64, 's'));
  EXPECT_EQ(std::string(p.Record.ProxyServer), std::string(64, 'p'));
}

TEST(GatewayInfoReply, BytesAfterATerminatorAreIgnoredAndHighBytesKept) {
  auto b = ValidReply();
  const char name[] = "ab\0cd";
  std::memcpy(&b[28], name, sizeof name);
  b[49] = 0xFC;  // a Windows-1252 character travels as it is
  b[50] = 0;
  ParsedReply p;
  ASSERT_TRUE(Parse(b, p));
  EXPECT_STREQ(p.Record.Name, "ab");
  EXPECT_EQ(static_cast<unsigned char>(p.Record.Server[0]), 0xFC);
  EXPECT_EQ(p.Record.Server[1], 0);
  // The rest of each text field is zero: a record compares equal whatever the wire held.
  for (std::size_t i = 2; i < sizeof p.Record.Name; ++i)
    EXPECT_EQ(p.Record.Name[i], 0);
}

}  // namespace
