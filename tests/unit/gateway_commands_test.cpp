// Settings and production commands: exact requests from the fields, and the settings command
// on its own over a record and typed texts.
#include "gateway/settings_commands.h"
#include "tests/support/vellora_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SettingsCommandTest, TheTypedSettingsGoIntoTheRecordThatTheRequestCarries) {
  const GatewayRecord sample = SampleRecord();
  // A record's own settings, typed back unchanged, make exactly its request.
  GatewayRecord record = sample;
  EXPECT_EQ(SetCommand(record, SettingsOfRecord(sample)).Request,
            AsVector(BuildSetConfigRequest(sample)));

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
  // The MAC and the address in use never come from the fields.
  GatewayRecord expected = kEmptyGatewayRecord;
  std::memcpy(expected.Mac, sample.Mac, 6);
  expected.ActualIp = sample.ActualIp;
  expected.Ip = Ipv4(10, 0, 0, 1), expected.Netmask = Ipv4(255, 255, 0, 0);
  expected.GatewayIp = Ipv4(0, 7, 0, 3), expected.DnsIp = Ipv4(1, 2, 3, 4);
  expected.Port = 1234, expected.UseDhcp = 1, expected.UseProxy = 0;
  std::strcpy(expected.Name, std::string(32, 'n').c_str());  // 20 of them travel
  std::strcpy(expected.Server, std::string(64, 's').c_str());
  std::strcpy(expected.ProxyServer, "p");
  EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
  EXPECT_EQ(outcome.Request, AsVector(BuildSetConfigRequest(expected)));

  // A refused command leaves the record as it was.
  typed[PartIndex("dns", 3)] = "256";
  GatewayRecord untouched = sample;
  const CommandOutcome refused = SetCommand(untouched, typed);
  ASSERT_TRUE(refused.Refused);
  EXPECT_EQ(refused.Refused->Field, static_cast<int>(PartIndex("dns", 3)));
  EXPECT_TRUE(refused.Request.empty());
  EXPECT_EQ(std::memcmp(&untouched, &sample, sizeof sample), 0);
}

class GatewayCommandsTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    record = RecordWithMac(0x09);
    record.Mac[1] = 0x1A;
    record.Mac[2] = 0x2B;
    std::strcpy(record.Name, "gw");
    Reply(record);
    ws.Click(IdExpandButton);
  }
  void SetSerial(const char* a, const char* b, const char* c, const char* d) {
    Set(11253, a), Set(11247, b), Set(11246, c), Set(11245, d);
  }
  Texts Serial() const { return TextsOf({11253, 11247, 11246, 11245}); }
  Bytes NewMacSent() const {
    const Bytes sent = LastSent();
    return Bytes(sent.begin() + 10, sent.end());
  }
  GatewayRecord record;
};

TEST_F(GatewayCommandsTest, WithoutASelectedGatewayNothingIsSentAndNothingChanges) {
  ws.Click(IdSearchButton);
  const std::size_t sent = SentCount();
  SetSerial("00", "00", "00", "07");
  for (int id : {IdSetButton, IdRebootButton, IdSetMacButton, IdSetIncrButton, IdSetEepromButton})
    ws.Click(id);
  EXPECT_EQ(SentCount(), sent);
  EXPECT_EQ(Serial(), (Texts{"00", "00", "00", "07"}));
  EXPECT_TRUE(DebugLines().empty());
}

// Set refuses an octet or a port out of range instead of sending other values, and the record
// keeps its values; then it sends the typed settings (DHCP on or not, the typed addresses go
// out) and keeps them in the record.
TEST_F(GatewayCommandsTest, SetSendsTheTypedSettingsInRangeAndKeepsThemInTheRecord) {
  const std::size_t sent = SentCount();
  const struct {
    int Id;
    const char *Bad, *Says;
  } cases[] = {{11219, "300", "IP octet 4 is 300, not in the range 0 to 255"},
               {11251, "256", "DNS IP octet 2 is 256, not in the range 0 to 255"},
               {IdPortEdit, "65536", "Port is 65536, not in the range 0 to 65535"}};
  for (const auto& c : cases) {
    Set(c.Id, c.Bad);
    ws.Click(IdSetButton);
    EXPECT_EQ(LastLine(), std::string("Vellora: Set not sent, ") + c.Says);
    EXPECT_EQ(ws.FocusId, c.Id);
    ws.PickComboEntry(IdGatewayCombo, 0);  // shown again: the record kept its values
  }
  EXPECT_EQ(Text(11219), "0");
  EXPECT_EQ(SentCount(), sent);

  Set(11222, "10"), Set(11221, "0"), Set(11220, "0"), Set(11219, "1");
  Set(IdPortEdit, "65535");
  Set(IdNameEdit, "ABCDEFGHIJKLMNOPQRST");
  ws.CheckDlgButton(IdUseDhcpCheck, true);
  ws.Click(IdSetButton);
  GatewayRecord expected = record;
  expected.Ip = Ipv4(10, 0, 0, 1);
  expected.Port = 65535;
  expected.UseDhcp = 1;
  std::strcpy(expected.Name, "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(SentCount(), sent + 1);
  EXPECT_EQ(LastSent(), AsVector(BuildSetConfigRequest(expected)));
  // Picking the gateway again shows what was typed, not its last reply.
  Reply(RecordWithMac(0x0A));
  ws.PickComboEntry(IdGatewayCombo, 1);
  ws.PickComboEntry(IdGatewayCombo, 0);
  EXPECT_EQ(Text(11222), "10");
  EXPECT_EQ(Text(IdNameEdit), "ABCDEFGHIJKLMNOPQRST");
}

TEST_F(GatewayCommandsTest, RebootSetMacAndEepromAddressTheGatewayByItsPresentMac) {
  ws.Click(IdRebootButton);
  EXPECT_EQ(LastSent(), AsVector(BuildRebootRequest(record)));

  const char* typed[6] = {"a", "1A", "2b", "FF", "0", "7"};
  for (int i = 0; i < 6; ++i)
    Set(kMacEditIds[i], typed[i]);
  ws.Click(IdSetMacButton);
  const std::uint8_t newMac[6] = {0x0A, 0x1A, 0x2B, 0xFF, 0x00, 0x07};
  EXPECT_EQ(LastSent(), AsVector(BuildSetMacRequest(record, newMac)));
  EXPECT_EQ(Combo(IdGatewayCombo), Texts{"02 1A 2B 00 00 09"});

  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdEepromValueEdit, "a5");
  ws.Click(IdSetEepromButton);
  EXPECT_EQ(LastSent(), AsVector(BuildSetEepromRequest(record, 0x1F0, 0xA5)));
}

TEST_F(GatewayCommandsTest, SetAndIncrUsesTheSerialAndAdvancesItWithCarryAndSaturation) {
  struct Step {
    std::vector<const char*> Before;
    Bytes Tail;
    Texts After;
  };
  // Below the largest serial the number carries across the pairs; FF FF FF is given once, and
  // a number beyond it is refused rather than cut to 24 bits or repeated.
  const std::vector<Step> steps = {
      {{"00", "12", "34", "56"}, {0x01, 0xE2, 0x40}, {"00", "12", "34", "57"}},
      {{"00", "00", "00", "99"}, {0x00, 0x00, 0x63}, {"00", "00", "01", "00"}},
      {{"16", "77", "72", "14"}, {0xFF, 0xFF, 0xFE}, {"16", "77", "72", "15"}},
      {{}, {0xFF, 0xFF, 0xFF}, {"16", "77", "72", "16"}},
      {{}, {}, {"16", "77", "72", "16"}},
      {{"99", "99", "99", "99"}, {}, {"99", "99", "99", "99"}},
  };
  Set(11210, "00");
  for (const Step& step : steps) {
    if (!step.Before.empty())
      SetSerial(step.Before[0], step.Before[1], step.Before[2], step.Before[3]);
    const std::size_t sent = SentCount();
    ws.Click(IdSetIncrButton);
    if (step.Tail.empty()) {
      EXPECT_EQ(SentCount(), sent);
      const std::string serial = step.Before.empty() ? "16777216" : "99999999";
      EXPECT_EQ(LastLine(), "Vellora: Set & Incr. not sent, serial number " + serial +
                                " is above the largest, 16777215 (FF FF FF)");
    } else {
      Bytes expected{0x00, 0x1A, 0x2B};
      expected.insert(expected.end(), step.Tail.begin(), step.Tail.end());
      EXPECT_EQ(NewMacSent(), expected);
    }
    EXPECT_EQ(Serial(), step.After);
  }
  const Bytes last = LastSent();
  EXPECT_EQ(Bytes(last.begin() + 2, last.begin() + 8), Bytes(record.Mac, record.Mac + 6));
  // A send that fails has still given the number.
  SetSerial("00", "00", "00", "05");
  Udp().WriteErrors = {wsa::ENETDOWN_};
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Serial(), (Texts{"00", "00", "00", "06"}));
  EXPECT_EQ(LastLine(), sockets.GetReasonString(wsa::ENETDOWN_));
}

// An empty edit is never a value on the wire: the command sends nothing, says which field it
// is and puts the focus there, and the running serial number stays where it was.
TEST_F(GatewayCommandsTest, AnEmptyFieldSendsNothingAndNamesTheField) {
  struct Case {
    int Button;
    int Field;
    const char* Line;
  };
  const std::vector<Case> cases = {
      {IdSetEepromButton, IdEepromAddressEdit,
       "Vellora: Set EEPROM value not sent, EEPROM address is empty"},
      {IdSetEepromButton, IdEepromValueEdit,
       "Vellora: Set EEPROM value not sent, EEPROM value is empty"},
      {IdSetMacButton, kMacEditIds[4], "Vellora: Set MAC not sent, MAC byte 5 is empty"},
      {IdSetIncrButton, kMacEditIds[0], "Vellora: Set & Incr. not sent, MAC byte 1 is empty"},
      {IdSetIncrButton, kSerialEditIds[2],
       "Vellora: Set & Incr. not sent, new serial number pair 3 is empty"},
      {IdSetButton, kOctetEditIds[9], "Vellora: Set not sent, Netmask octet 2 is empty"},
      {IdSetButton, IdPortEdit, "Vellora: Set not sent, Port is empty"},
  };
  for (const Case& c : cases) {
    Set(IdEepromAddressEdit, "10");
    Set(IdEepromValueEdit, "FF");
    for (int id : kMacEditIds)
      Set(id, "AB");
    SetSerial("00", "00", "12", "34");
    Set(kOctetEditIds[9], "255");
    Set(IdPortEdit, "80");
    Set(c.Field, "");
    ws.SetFocus(IdSearchButton);
    const std::size_t sent = SentCount();
    ws.Click(c.Button);
    EXPECT_EQ(SentCount(), sent) << c.Line;
    EXPECT_EQ(LastLine(), c.Line);
    EXPECT_EQ(ws.FocusId, c.Field) << c.Line;
    EXPECT_EQ(Serial(), (Texts{"00", "00", c.Field == 11246 ? "" : "12", "34"}));
  }
}

// No module can use a multicast, all-zero or broadcast MAC, and a MAC another module answered
// the search with would be on the line twice: nothing is sent and the serial number stays.
TEST_F(GatewayCommandsTest, AMacNoModuleCanUseOrAnotherModuleAnswersWithIsRefused) {
  GatewayRecord other = RecordWithMac(0x0A);
  other.Mac[1] = 0x1A;
  other.Mac[2] = 0x2B;
  other.ActualIp = Ipv4::FromNumber(0x0A000005);
  std::strcpy(other.Name, "other");
  Reply(other);
  const auto setMac = [&](const std::array<const char*, 6>& mac) {
    for (int i = 0; i < 6; ++i)
      Set(kMacEditIds[i], mac[i]);
    ws.Click(IdSetMacButton);
  };
  const std::size_t sent = SentCount();
  const std::pair<std::array<const char*, 6>, const char*> unusable[] = {
      {{"01", "00", "5E", "00", "00", "01"},
       "01 00 5E 00 00 01 is a multicast MAC (the first byte is odd)"},
      {{"0", "0", "0", "0", "0", "0"}, "00 00 00 00 00 00 is all zero"},
      {{"ff", "ff", "ff", "ff", "ff", "ff"}, "FF FF FF FF FF FF is the broadcast MAC"}};
  for (const auto& [mac, says] : unusable) {
    setMac(mac);
    EXPECT_EQ(LastLine(),
              std::string("Vellora: Set MAC not sent, ") + says + ": no module can use it");
  }
  setMac({"02", "1A", "2B", "00", "00", "0A"});
  const std::string inUse =
      "02 1A 2B 00 00 0A is in use: the module other at 10.0.0.5 answered the last search with it";
  EXPECT_EQ(LastLine(), "Vellora: Set MAC not sent, " + inUse);
  SetSerial("00", "00", "00", "10");  // 10 is 0A
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(LastLine(), "Vellora: Set & Incr. not sent, " + inUse);
  Set(kMacEditIds[0], "03");
  SetSerial("00", "00", "00", "11");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(LastLine(),
            "Vellora: Set & Incr. not sent, 03 1A 2B 00 00 0B is a multicast MAC (the first byte "
            "is odd): no module can use it");
  EXPECT_EQ(Serial(), (Texts{"00", "00", "00", "11"}));
  EXPECT_EQ(SentCount(), sent);

  // The module's own MAC again makes no second module with it.
  setMac({"02", "1A", "2B", "00", "00", "09"});
  EXPECT_EQ(SentCount(), sent + 1);
}

}  // namespace
