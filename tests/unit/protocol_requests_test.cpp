// Requests as the tool builds them: exact bytes on the wire.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/messages.h"
#include "tests/support/sample_record.h"

namespace {

template <std::size_t N>
std::vector<int> Bytes(const std::array<std::uint8_t, N>& a, std::size_t from, std::size_t count) {
  std::vector<int> out;
  for (std::size_t i = from; i < from + count; ++i)
    out.push_back(a[i]);
  return out;
}

GatewayRecord RecordWithMac(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                            std::uint8_t e, std::uint8_t f) {
  GatewayRecord r = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {a, b, c, d, e, f};
  std::memcpy(r.Mac, mac, 6);
  return r;
}

TEST(SearchRequest, IsTheTenHeaderBytesWithNoMac) {
  EXPECT_EQ(Bytes(BuildSearchRequest(), 0, 10),
            (std::vector<int>{0x00, 0x01, 0, 0, 0, 0, 0, 0, 0x00, 0x0A}));
}

TEST(RebootRequest, NamesTheGatewayByMac) {
  const auto bytes = BuildRebootRequest(RecordWithMac(0x02, 0, 0, 0, 0, 0x01));
  EXPECT_EQ(Bytes(bytes, 0, 10),
            (std::vector<int>{0x00, 0x05, 0x02, 0, 0, 0, 0, 0x01, 0x00, 0x0A}));
}

TEST(SetEepromRequest, CarriesSixteenAddressBitsAndEightValueBits) {
  const auto record = RecordWithMac(0x02, 0, 0, 0, 0, 0x07);
  auto bytes = BuildSetEepromRequest(record, 0xABC, 0x5A);
  EXPECT_EQ(Bytes(bytes, 0, 13),
            (std::vector<int>{0x00, 0x07, 0x02, 0, 0, 0, 0, 0x07, 0x00, 0x0D, 0x0A, 0xBC, 0x5A}));
  bytes = BuildSetEepromRequest(record, 0x1F0, 0xA5);
  EXPECT_EQ(Bytes(bytes, 10, 3), (std::vector<int>{0x01, 0xF0, 0xA5}));
  bytes = BuildSetEepromRequest(record, 7, 0);
  EXPECT_EQ(Bytes(bytes, 10, 3), (std::vector<int>{0x00, 0x07, 0x00}));
  // Higher bits of what was entered are dropped.
  bytes = BuildSetEepromRequest(record, 0x12345, 0x1A5);
  EXPECT_EQ(Bytes(bytes, 10, 3), (std::vector<int>{0x23, 0x45, 0xA5}));
}

TEST(SetMacRequest, HeaderKeepsThePresentMacAndBodyCarriesTheNewOne) {
  const std::uint8_t newMac[6] = {0x00, 0x1A, 0x2B, 0x00, 0x00, 0x01};
  const auto bytes = BuildSetMacRequest(RecordWithMac(0x02, 0, 0, 0, 0, 0x09), newMac);
  EXPECT_EQ(Bytes(bytes, 0, 16), (std::vector<int>{0x00, 0x06, 0x02, 0, 0, 0, 0, 0x09, 0x00, 0x10,
                                                   0x00, 0x1A, 0x2B, 0x00, 0x00, 0x01}));
}

class SetConfigRequestTest : public ::testing::Test {
 protected:
  GatewayRecord record = SampleRecord();
};

TEST_F(SetConfigRequestTest, PlacesEveryFieldAtItsOffset) {
  record.UseDhcp = 1;
  record.ActualIp = Ipv4::FromNumber(0x01020304);  // never travels in this message
  const auto b = BuildSetConfigRequest(record);
  EXPECT_EQ(Bytes(b, 0, 10),
            (std::vector<int>{0x00, 0x04, 0x02, 0x00, 0x00, 0x12, 0x34, 0x56, 0x00, 0xB5}));
  EXPECT_EQ(b[10], 1);
  EXPECT_EQ(Bytes(b, 11, 4), (std::vector<int>{0xC0, 0xA8, 0x01, 0x32}));
  EXPECT_EQ(Bytes(b, 15, 4), (std::vector<int>{0xFF, 0xFF, 0xFF, 0x00}));
  EXPECT_EQ(Bytes(b, 19, 4), (std::vector<int>{0xC0, 0xA8, 0x01, 0x01}));
  auto text = [&b](std::size_t at) { return std::string(reinterpret_cast<const char*>(&b[at])); };
  EXPECT_EQ(text(23), "line-3-station-12");
  EXPECT_EQ(text(44), "collector.plant.example");
  EXPECT_EQ(b[109], 1);
  EXPECT_EQ(text(110), "proxy.plant.example");
  EXPECT_EQ(Bytes(b, 175, 2), (std::vector<int>{0x1F, 0x90}));
  EXPECT_EQ(Bytes(b, 177, 4), (std::vector<int>{0x08, 0x08, 0x08, 0x08}));
}

TEST_F(SetConfigRequestTest, PortAbove16BitsIsSentModulo65536) {
  record.Port = 8003;
  EXPECT_EQ(Bytes(BuildSetConfigRequest(record), 175, 2), (std::vector<int>{0x1F, 0x43}));
  record.Port = 70000;
  EXPECT_EQ(Bytes(BuildSetConfigRequest(record), 175, 2), (std::vector<int>{0x11, 0x70}));
  record.Port = 0;
  EXPECT_EQ(Bytes(BuildSetConfigRequest(record), 175, 2), (std::vector<int>{0x00, 0x00}));
}

TEST_F(SetConfigRequestTest, TextsAreCutAtTheirWireWidth) {
  std::memset(record.Name, 'N', 25);
  record.Name[25] = 0;
  std::memset(record.Server, 'S', 64);
  record.Server[64] = 'X';  // no terminator inside the field: the last wire byte is forced to 0
  std::memset(record.ProxyServer, 'P', 65);
  const auto b = BuildSetConfigRequest(record);
  for (int i = 23; i < 43; ++i)
    EXPECT_EQ(b[static_cast<std::size_t>(i)], 'N') << i;
  EXPECT_EQ(b[43], 0);
  for (int i = 44; i < 108; ++i)
    EXPECT_EQ(b[static_cast<std::size_t>(i)], 'S') << i;
  EXPECT_EQ(b[108], 0);
  for (int i = 110; i < 174; ++i)
    EXPECT_EQ(b[static_cast<std::size_t>(i)], 'P') << i;
  EXPECT_EQ(b[174], 0);
}

}  // namespace
