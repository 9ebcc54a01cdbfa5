// Checking and decoding the gateway information reply, and the protocol's values as text: what
// is read must be exactly what was written, or nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/messages.h"
#include "protocol/text_values.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::initializer_list<int> values) {
  for (int v : values)
    b[at++] = static_cast<std::uint8_t>(v);
}
void PutText(Bytes& b, std::size_t at, const char* text) {
  std::memcpy(&b[at], text, std::strlen(text) + 1);
}

Bytes ValidReply() {
  Bytes b(186, 0);
  Put(b, 0, {0x00, 0x03, 0xab, 0x0c, 0xff, 0x00, 0x10, 0x9e, 0x00, 0xBA, 0x77});
  Put(b, 11, {192, 168, 1, 50, 1, 192, 168, 1, 10, 255, 255, 255, 0, 192, 168, 1, 1});
  PutText(b, 28, "module-a");
  PutText(b, 49, "server.example");
  Put(b, 114, {7});
  PutText(b, 115, "proxy");
  Put(b, 180, {0x1F, 0x43, 8, 8, 4, 4});
  return b;
}

bool Parse(const Bytes& b, ParsedReply& out, std::uint16_t port = 8003) {
  return ParseGatewayInfoReply(b, port, out);
}

TEST(GatewayInfoReply, DecodesEveryField) {
  ParsedReply p;
  ASSERT_TRUE(Parse(ValidReply(), p));
  EXPECT_STREQ(p.MacText, "AB 0C FF 00 10 9E");
  const GatewayRecord& r = p.Record;
  EXPECT_EQ((std::vector<Ipv4>{r.ActualIp, r.Ip, r.Netmask, r.GatewayIp, r.DnsIp}),
            (std::vector<Ipv4>{{192, 168, 1, 50},
                               {192, 168, 1, 10},
                               {255, 255, 255, 0},
                               {192, 168, 1, 1},
                               {8, 8, 4, 4}}));
  EXPECT_EQ((std::vector<unsigned>{r.Port, r.UseDhcp, r.UseProxy}),  // flags kept as they stand
            (std::vector<unsigned>{8003, 1, 7}));
  EXPECT_EQ(std::string(r.Name) + "|" + r.Server + "|" + r.ProxyServer,
            "module-a|server.example|proxy");
}

TEST(GatewayInfoReply, RejectsEverythingThatIsNotAFullReplyFromPort8003) {
  ParsedReply p;
  EXPECT_FALSE(Parse(ValidReply(), p, 8004));
  Bytes b = ValidReply();
  b[0] = 0x01;
  EXPECT_FALSE(Parse(b, p));
  for (int length : {185, 187, 0, 0x01BA}) {
    b = ValidReply();
    Put(b, 8, {length >> 8, length & 0xFF});
    EXPECT_FALSE(Parse(b, p)) << length;
  }
  for (int command = 0; command < 256; ++command) {
    b = ValidReply();
    b[1] = static_cast<std::uint8_t>(command);
    EXPECT_EQ(Parse(b, p), command == 0x03) << command;
  }
  // A set-config request with its own correct length is not a reply either.
  b = ValidReply();
  b.resize(181);
  Put(b, 0, {0x00, 0x04});
  b[9] = 0xB5;
  EXPECT_FALSE(Parse(b, p));
  // Only the received bytes are read: exactly `count` bytes of storage, so that a read past them
  // shows under the sanitizers; a longer datagram with the right length field is taken.
  const Bytes full = ValidReply();
  for (long count : {0, 9, 10, 100, 185})
    EXPECT_FALSE(Parse(Bytes(full.begin(), full.begin() + count), p)) << count;
  b = ValidReply();
  b.resize(255, 0xEE);
  EXPECT_TRUE(Parse(b, p));
}

TEST(GatewayInfoReply, TextsStopAtTheirTerminatorOrOneShortOfTheirWidth) {
  Bytes b = ValidReply();
  std::memset(&b[28], 'n', 21);
  std::memset(&b[49], 's', 65);
  std::memset(&b[115], 'p', 65);
  ParsedReply p;
  ASSERT_TRUE(Parse(b, p));
  EXPECT_EQ(std::string(p.Record.Name), std::string(20, 'n'));
  EXPECT_EQ(std::string(p.Record.Server), std::string(64, 's'));
  EXPECT_EQ(std::string(p.Record.ProxyServer), std::string(64, 'p'));

  b = ValidReply();
  std::memcpy(&b[28], "ab\0cd", 6);
  Put(b, 49, {0xFC, 0});  // a Windows-1252 character travels as it is
  ASSERT_TRUE(Parse(b, p));
  EXPECT_STREQ(p.Record.Name, "ab");
  EXPECT_EQ(static_cast<unsigned char>(p.Record.Server[0]), 0xFC);
  // The rest of each text field is zero, whatever the wire held after the terminator.
  for (std::size_t i = 2; i < sizeof p.Record.Name; ++i)
    EXPECT_EQ(p.Record.Name[i], 0);
}

TEST(TextValuesTest, DottedQuadsRoundTripAndAnythingElseIsRefused) {
  EXPECT_EQ(DottedQuad(Ipv4::FromNumber(0xC0A8010A)), "192.168.1.10");
  EXPECT_EQ(ParseDottedQuad("192.168.1.10"), Ipv4(192, 168, 1, 10));
  EXPECT_EQ(ParseDottedQuad("192.168.1.10")->Number(), 0xC0A8010Au);
  EXPECT_EQ(ParseDottedQuad("0.0.0.0"), Ipv4());
  EXPECT_EQ(ParseDottedQuad("255.255.255.255"), Ipv4::Broadcast());
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1.2.3.4 ", " 1.2.3.4", "1..3.4",
                          "1.2.3.0004", "-1.2.3.4", "+1.2.3.4", "a.b.c.d", "1.2.3.4/24"})
    EXPECT_FALSE(ParseDottedQuad(bad)) << bad;
}

TEST(TextValuesTest, MacsInEveryUsualNotationAndNothingHalfRead) {
  const MacAddress mac{0x02, 0x00, 0xAB, 0xcd, 0x00, 0x01};
  for (const char* text : {"02:00:ab:cd:00:01", "02-00-AB-CD-00-01", "02 00 AB CD 00 01",
                           "0200abcd0001", "0200.abcd.0001"})
    EXPECT_EQ(ParseMac(text), mac) << text;
  EXPECT_EQ(MacText(mac), "02 00 AB CD 00 01");
  for (const char* bad : {"", "02:00:ab:cd:00", "02:00:ab:cd:00:01:02", "2:00:ab:cd:00:01",
                          "02::00:ab:cd:00:01", ":02:00:ab:cd:00:01", "02:00:ab:cd:00:0g"})
    EXPECT_FALSE(ParseMac(bad)) << bad;
}

TEST(TextValuesTest, NumbersAreWholeAndInRange) {
  EXPECT_EQ(ParseNumber<unsigned>("65535"), 65535u);
  EXPECT_EQ(ParseNumber<std::uint16_t>("65535"), 65535);
  EXPECT_FALSE(ParseNumber<std::uint16_t>("65536"));
  EXPECT_EQ(ParseNumber<unsigned>("1F0", 16), 0x1F0u);
  for (const char* bad : {"", "-1", "+1", " 1", "1 ", "1x", "0x10"})
    EXPECT_FALSE(ParseNumber<unsigned>(bad)) << bad;
  EXPECT_EQ(ParseFraction("0.5", 0, 1), 0.5);
  EXPECT_FALSE(ParseFraction("1.5", 0, 1));
  EXPECT_FALSE(ParseFraction("nan", 0, 1));
}

}  // namespace
