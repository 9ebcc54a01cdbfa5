// Settings and production commands: exact requests from the fields.
#include "tests/support/vellora_fixture.h"

namespace {

class GatewayCommandsTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    GatewayRecord r = Gateway(0x09);
    r.Mac[1] = 0x1A;
    r.Mac[2] = 0x2B;
    r.ActualIp = 0xC0A80132;
    std::strcpy(r.Name, "gw");
    Reply(r);
    ws.Click(IdExpandButton);
  }
  const std::vector<std::uint8_t> kHeaderMac{0x02, 0x1A, 0x2B, 0x00, 0x00, 0x09};

  std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& v, std::size_t from,
                                  std::size_t n) const {
    return std::vector<std::uint8_t>(v.begin() + static_cast<long>(from),
                                     v.begin() + static_cast<long>(from + n));
  }
  void SetSerial(const char* a, const char* b, const char* c, const char* d) {
    ws.SetDlgItemText(11253, a), ws.SetDlgItemText(11247, b), ws.SetDlgItemText(11246, c),
        ws.SetDlgItemText(11245, d);
  }
  std::vector<std::string> Serial() const {
    return {Text(11253), Text(11247), Text(11246), Text(11245)};
  }
};

TEST_F(GatewayCommandsTest, WithoutASelectedGatewayNothingIsSentAndNothingChanges) {
  ws.Click(IdSearchButton);
  const std::size_t sent = SentBytes().size();
  SetSerial("00", "00", "00", "07");
  for (int id : {IdSetButton, IdRebootButton, IdSetMacButton, IdSetIncrButton, IdSetEepromButton}) {
    ws.Click(id);
  }
  EXPECT_EQ(SentBytes().size(), sent);
  EXPECT_EQ(Serial(), (std::vector<std::string>{"00", "00", "00", "07"}));
  EXPECT_TRUE(DebugLines().empty());
}

TEST_F(GatewayCommandsTest, SetSendsTheTypedSettingsAndKeepsThemInTheRecord) {
  auto set = [this](int id, const std::string& t) { ws.SetDlgItemText(id, t); };
  set(11222, "10"), set(11221, "0"), set(11220, "0"), set(11219, "1");
  set(IdPortEdit, "8003");
  set(IdNameEdit, "ABCDEFGHIJKLMNOPQRST");
  ws.CheckDlgButton(IdUseDhcpCheck, true);
  ws.Click(IdSetButton);

  const auto b = LastSent();
  ASSERT_EQ(b.size(), 181u);
  EXPECT_EQ(Slice(b, 0, 2), (std::vector<std::uint8_t>{0x00, 0x04}));
  EXPECT_EQ(Slice(b, 2, 6), kHeaderMac);
  EXPECT_EQ(Slice(b, 8, 2), (std::vector<std::uint8_t>{0x00, 0xB5}));
  EXPECT_EQ(b[10], 1);  // DHCP on, and the typed addresses go out all the same
  EXPECT_EQ(Slice(b, 11, 4), (std::vector<std::uint8_t>{0x0A, 0x00, 0x00, 0x01}));
  EXPECT_EQ(Slice(b, 175, 2), (std::vector<std::uint8_t>{0x1F, 0x43}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[23])), "ABCDEFGHIJKLMNOPQRST");
  // Nothing on screen changes; picking the gateway again shows what was typed.
  EXPECT_EQ(Combo(IdGatewayCombo), std::vector<std::string>{"02 1A 2B 00 00 09"});
  Reply(Gateway(0x0A));
  ws.PickComboEntry(IdGatewayCombo, 1);
  ws.PickComboEntry(IdGatewayCombo, 0);
  EXPECT_EQ(Text(11222), "10");
  EXPECT_EQ(Text(IdNameEdit), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(Text(11234), "192");  // the address in use is not a setting
}

TEST_F(GatewayCommandsTest, SetRefusesAnOctetOrPortOutOfRangeInsteadOfSendingOtherValues) {
  const std::size_t sent = SentBytes().size();
  ws.SetDlgItemText(11219, "300");
  ws.Click(IdSetButton);
  EXPECT_EQ(SentBytes().size(), sent);
  EXPECT_EQ(DebugLines().back(),
            "Vellora: Set not sent, IP octet 4 is 300, not in the range 0 to 255");
  EXPECT_EQ(ws.FocusId, 11219);
  EXPECT_EQ(dlg->GatewayList[0].Ip, 0u);  // the record keeps its values

  ws.SetDlgItemText(11219, "30");
  ws.SetDlgItemText(11251, "256");
  ws.Click(IdSetButton);
  EXPECT_EQ(DebugLines().back(),
            "Vellora: Set not sent, DNS IP octet 2 is 256, not in the range 0 to 255");
  ws.SetDlgItemText(11251, "");
  ws.SetDlgItemText(IdPortEdit, "65536");
  ws.Click(IdSetButton);
  EXPECT_EQ(DebugLines().back(),
            "Vellora: Set not sent, Port is 65536, not in the range 0 to 65535");
  ws.SetDlgItemText(IdPortEdit, "65535");
  ws.Click(IdSetButton);
  ASSERT_EQ(SentBytes().size(), sent + 1);
  EXPECT_EQ(Slice(LastSent(), 175, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
}

TEST_F(GatewayCommandsTest, RebootSendsTheHeaderEachTime) {
  ws.Click(IdRebootButton);
  ws.Click(IdRebootButton);
  const auto all = SentBytes();
  std::vector<std::uint8_t> expected{0x00, 0x05};
  expected.insert(expected.end(), kHeaderMac.begin(), kHeaderMac.end());
  expected.insert(expected.end(), {0x00, 0x0A});
  EXPECT_EQ(all[all.size() - 2], expected);
  EXPECT_EQ(all.back(), expected);
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);
}

TEST_F(GatewayCommandsTest, SetMacSendsTheTypedMacUnderThePresentOne) {
  const char* typed[6] = {"a", "1A", "2b", "FF", "0", "7"};
  for (int i = 0; i < 6; ++i)
    ws.SetDlgItemText(kMacEditIds[i], typed[i]);
  ws.Click(IdSetMacButton);
  const auto b = LastSent();
  ASSERT_EQ(b.size(), 16u);
  EXPECT_EQ(Slice(b, 0, 2), (std::vector<std::uint8_t>{0x00, 0x06}));
  EXPECT_EQ(Slice(b, 2, 6), kHeaderMac);
  EXPECT_EQ(Slice(b, 8, 8),
            (std::vector<std::uint8_t>{0x00, 0x10, 0x0A, 0x1A, 0x2B, 0xFF, 0x00, 0x07}));
  EXPECT_EQ(Combo(IdGatewayCombo), std::vector<std::string>{"02 1A 2B 00 00 09"});
}

TEST_F(GatewayCommandsTest, SetAndIncrUsesTheSerialAndAdvancesItWithCarry) {
  ws.SetDlgItemText(11210, "00");
  SetSerial("00", "12", "34", "56");
  ws.Click(IdSetIncrButton);
  auto b = LastSent();
  EXPECT_EQ(Slice(b, 2, 6), kHeaderMac);
  EXPECT_EQ(Slice(b, 10, 6), (std::vector<std::uint8_t>{0x00, 0x1A, 0x2B, 0x01, 0xE2, 0x40}));
  EXPECT_EQ(Serial(), (std::vector<std::string>{"00", "12", "34", "57"}));

  SetSerial("00", "00", "00", "99");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Slice(LastSent(), 13, 3), (std::vector<std::uint8_t>{0x00, 0x00, 0x63}));
  EXPECT_EQ(Serial(), (std::vector<std::string>{"00", "00", "01", "00"}));

  SetSerial("00", "00", "00", "01");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Slice(LastSent(), 10, 6),
            (std::vector<std::uint8_t>{0x00, 0x1A, 0x2B, 0x00, 0x00, 0x01}));
  EXPECT_EQ(Text(11205), "09");  // the fields still show the old MAC
}

TEST_F(GatewayCommandsTest, SerialSaturatesAtTheLargestNumber) {
  SetSerial("16", "77", "72", "14");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Slice(LastSent(), 13, 3), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(Serial(), (std::vector<std::string>{"16", "77", "72", "15"}));
  for (int i = 0; i < 2; ++i) {
    ws.Click(IdSetIncrButton);
    EXPECT_EQ(Slice(LastSent(), 13, 3), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Serial(), (std::vector<std::string>{"16", "77", "72", "15"}));
  }
  SetSerial("20", "00", "00", "00");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Slice(LastSent(), 13, 3), (std::vector<std::uint8_t>{0x31, 0x2D, 0x00}));
  EXPECT_EQ(Serial(), (std::vector<std::string>{"16", "77", "72", "15"}));
}

TEST_F(GatewayCommandsTest, SerialAdvancesEvenWhenTheSendFails) {
  SetSerial("00", "00", "00", "05");
  Udp().WriteErrors = {wsa::ENETDOWN_};
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Serial(), (std::vector<std::string>{"00", "00", "00", "06"}));
  EXPECT_EQ(DebugLines().back(), sockets.GetReasonString(wsa::ENETDOWN_));
}

TEST_F(GatewayCommandsTest, EepromSendsSixteenAddressBitsAndOneValueByte) {
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdEepromValueEdit, "a5");
  ws.Click(IdSetEepromButton);
  auto b = LastSent();
  ASSERT_EQ(b.size(), 13u);
  EXPECT_EQ(Slice(b, 0, 2), (std::vector<std::uint8_t>{0x00, 0x07}));
  EXPECT_EQ(Slice(b, 2, 6), kHeaderMac);
  EXPECT_EQ(Slice(b, 8, 5), (std::vector<std::uint8_t>{0x00, 0x0D, 0x01, 0xF0, 0xA5}));
  ws.SetDlgItemText(IdEepromAddressEdit, "7");
  ws.SetDlgItemText(IdEepromValueEdit, "");
  ws.Click(IdSetEepromButton);
  EXPECT_EQ(Slice(LastSent(), 10, 3), (std::vector<std::uint8_t>{0x00, 0x07, 0x00}));
}

}  // namespace
