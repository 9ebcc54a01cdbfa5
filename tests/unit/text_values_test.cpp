// The protocol's values as text: what is read must be exactly what was written, or nothing.
#include <gtest/gtest.h>

#include "protocol/text_values.h"

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
