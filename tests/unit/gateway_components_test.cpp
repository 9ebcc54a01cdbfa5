// The settings command, the serial number and the label check on their own, over records and typed
// texts.
#include <gtest/gtest.h>

#include <cstring>

#include "gateway/label_check.h"
#include "gateway/serial_number.h"
#include "gateway/settings_commands.h"
#include "protocol/messages.h"
#include "tests/support/sample_record.h"

namespace {

std::vector<std::uint8_t> Bytes(const auto& request) {
  return std::vector<std::uint8_t>(request.begin(), request.end());
}

TEST(SettingsCommandTest, TheTypedSettingsGoIntoTheRecordThatTheRequestCarries) {
  const GatewayRecord sample = SampleRecord();
  // A record's own settings, typed back unchanged, make exactly its request.
  GatewayRecord record = sample;
  EXPECT_EQ(SetCommand(record, SettingsOfRecord(sample)).Request,
            Bytes(BuildSetConfigRequest(sample)));

  TypedSettings typed = SettingsOfRecord(sample);
  const char* octets[16] = {"10", "0",  "0", "1", "255", "255", "0", "0",
                            "0",  " 7", "0", "3", "1",   "2",   "3", "4"};
  for (int i = 0; i < 16; ++i)
    typed[PartIndex(kSettingFields[static_cast<std::size_t>(i / 4)].Key, i % 4)] = octets[i];
  typed[PartIndex("port")] = "1234";
  typed[PartIndex("name")] = std::string(40, 'n');
  typed[PartIndex("server")] = std::string(70, 's');
  typed[PartIndex("proxy")] = "p";
  typed[PartIndex("dhcp")] = "1";
  typed[PartIndex("use-proxy")] = "0";
  const CommandOutcome outcome = SetCommand(record, typed);
  ASSERT_FALSE(outcome.Refused);
  EXPECT_EQ(record.Ip.Number(), 0x0A000001u);
  EXPECT_EQ(record.Netmask.Number(), 0xFFFF0000u);
  EXPECT_EQ(record.GatewayIp.Number(), 0x00070003u);
  EXPECT_EQ(record.DnsIp.Number(), 0x01020304u);
  EXPECT_EQ(record.Port, 1234u);
  EXPECT_EQ(record.UseDhcp, 1);
  EXPECT_EQ(record.UseProxy, 0);
  EXPECT_EQ(std::string(record.Name), std::string(32, 'n'));  // 20 of them travel
  EXPECT_EQ(std::string(record.Server), std::string(64, 's'));
  // The MAC and the address in use never come from the fields.
  EXPECT_EQ(record.ActualIp, sample.ActualIp);
  EXPECT_EQ(std::memcmp(record.Mac, sample.Mac, 6), 0);
  EXPECT_EQ(outcome.Request, Bytes(BuildSetConfigRequest(record)));

  // A refused command leaves the record as it was.
  typed[PartIndex("dns", 3)] = "256";
  GatewayRecord untouched = sample;
  const CommandOutcome refused = SetCommand(untouched, typed);
  ASSERT_TRUE(refused.Refused);
  EXPECT_EQ(refused.Refused->Field, static_cast<int>(PartIndex("dns", 3)));
  EXPECT_TRUE(refused.Request.empty());
  EXPECT_EQ(std::memcmp(&untouched, &sample, sizeof sample), 0);
}

TEST(SerialNumberTest, GivesEveryNumberUpToFFFFFFOnceAndNothingBeyond) {
  const SerialNumber largest = SerialNumber::FromPairs({16, 77, 72, 15});
  EXPECT_TRUE(largest.CanBeGiven());
  EXPECT_EQ(largest.MacBytes(), (std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF}));
  EXPECT_FALSE(largest.Next().CanBeGiven());
  EXPECT_EQ(largest.Next().Pairs(), (std::array<std::string, 4>{"16", "77", "72", "16"}));
  EXPECT_FALSE(SerialNumber::FromPairs({99, 99, 99, 99}).CanBeGiven());
}

TEST(LabelCheckTest, ALabelIsTwelveCharactersOfSixHexNumbers) {
  const MacAddress mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  EXPECT_EQ(LabelCheck::LabelMac("001a2b3C4D5e"), mac);
  EXPECT_EQ(LabelCheck::LabelMac("0 1 2 3 4 5 "), (MacAddress{0, 1, 2, 3, 4, 5}));
  for (const char* bad : {"001A2B3C4D5", "001A2B3C4D5E0", "ZZZZZZZZZZZZ", "00-1A-2B-3C-"})
    EXPECT_FALSE(LabelCheck::LabelMac(bad)) << bad;
}

}  // namespace
