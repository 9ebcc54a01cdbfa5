// Discovery: the search command, the list of gateways that answer, and the record shown in the
// fields.
#include "tests/support/vellora_fixture.h"

namespace {

class DiscoveryTest : public VelloraTest {
 protected:
  void SetUp() override { Start(); }
  Texts Serial() const { return TextsOf({11257, 11256, 11255, 11254}); }
};

TEST_F(DiscoveryTest, GatewaysAreListedInTheOrderTheyFirstAnswerEachWithItsFirstReply) {
  GatewayRecord a = RecordWithMac(0x03), b = RecordWithMac(0x01), c = RecordWithMac(0x02);
  std::strcpy(b.Name, "the-one");
  Reply(a);
  EXPECT_EQ(Text(IdGatewayCount), "1");
  // A further reply of the only gateway shows its record again; the typed edit is lost.
  ws.Type(11219, "9");
  EXPECT_EQ(Text(11219), "09");
  Reply(a);
  EXPECT_EQ(Text(11219), "0");
  Reply(b);
  Reply(c);
  EXPECT_EQ(Combo(IdGatewayCombo),
            (Texts{"02 00 00 00 00 03", "02 00 00 00 00 01", "02 00 00 00 00 02"}));
  EXPECT_EQ(Text(IdGatewayCount), "3");
  // The first stays selected and shown; with three listed, a duplicate changes nothing on screen.
  EXPECT_EQ(ws.Get(IdGatewayCombo).Selected, 0);
  Set(11219, "77");
  GatewayRecord changed = b;
  std::strcpy(changed.Name, "changed");
  Reply(changed);
  EXPECT_EQ(Text(11219), "77");
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 3u);
  // Picking the second shows the gateway ending in 01, as it first answered.
  ws.PickComboEntry(IdGatewayCombo, 1);
  EXPECT_EQ(Text(IdNameEdit), "the-one");
  EXPECT_EQ(Text(IdMacEdit6), "01");
}

TEST_F(DiscoveryTest, ShowsEveryFieldOfTheRecordAndASearchEmptiesThemBeforeTheRequestLeaves) {
  GatewayRecord r = SampleRecord();
  const std::uint8_t mac[6] = {0x0A, 0x00, 0x00, 0x01, 0xE2, 0x40};  // serial number 123456
  std::memcpy(r.Mac, mac, 6);
  r.ActualIp = Ipv4(192, 168, 1, 254);
  r.UseDhcp = 1;
  r.UseProxy = 2;
  std::strcpy(r.Name, "n\xE4me");
  // The fields the operator types for the production steps are never overwritten.
  ws.Click(IdExpandButton);
  Set(11253, "12");
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdLabelMacEdit, "001A2B");
  Reply(r);
  EXPECT_EQ(TextsOf({11210, 11209, 11208, 11207, 11206, 11205}),
            (Texts{"0A", "00", "00", "01", "E2", "40"}));
  EXPECT_EQ(TextsOf(kOctetEditIds),
            (Texts{"192", "168", "1",   "254", "192", "168", "1", "50", "255", "255",
                   "255", "0",   "192", "168", "1",   "1",   "8", "8",  "8",   "8"}));
  EXPECT_TRUE(ws.IsDlgButtonChecked(IdUseDhcpCheck) && ws.IsDlgButtonChecked(IdUseProxyCheck));
  EXPECT_EQ(TextsOf({IdPortEdit, IdNameEdit, IdServerEdit, IdProxyEdit}),
            (Texts{"8080", "n\xE4me", "collector.plant.example", "proxy.plant.example"}));
  EXPECT_EQ(Serial(), (Texts{"00", "12", "34", "56"}));
  Reply(RecordWithMac(0x02));

  ws.Journal.clear();
  ws.Click(IdSearchButton);
  EXPECT_TRUE(Combo(IdGatewayCombo).empty() && ws.Get(IdGatewayCombo).Selected == -1);
  EXPECT_EQ(Text(IdGatewayCount), "0");
  EXPECT_EQ(TextsOf(kMacEditIds), Texts(6, "00"));
  EXPECT_EQ(TextsOf(kOctetEditIds), Texts(20, "0"));
  EXPECT_EQ(TextsOf({IdPortEdit, IdNameEdit, IdServerEdit}), (Texts{"0", "", ""}));
  EXPECT_FALSE(ws.IsDlgButtonChecked(IdUseDhcpCheck) || ws.IsDlgButtonChecked(IdUseProxyCheck));
  EXPECT_EQ(ws.Journal, Texts{"Send 10 bytes to 255.255.255.255:8003"});
  EXPECT_EQ(TextsOf({11253, IdEepromAddressEdit, IdLabelMacEdit}), (Texts{"12", "1F0", "001A2B"}));

  // All eight digits of the largest serial number; a selection changed to nothing changes no
  // field.
  GatewayRecord top = RecordWithMac(0xFF);
  top.Mac[3] = top.Mac[4] = 0xFF;
  Reply(top);
  EXPECT_EQ(Serial(), (Texts{"16", "77", "72", "15"}));
  Set(IdNameEdit, "typed");
  ws.ComboSetSelIndex(IdGatewayCombo, -1);
  Dialog().WindowProc(WM_COMMAND, MakeLong(IdGatewayCombo, CBN_SELCHANGE), IdGatewayCombo);
  EXPECT_EQ(Text(IdNameEdit), "typed");
}

TEST_F(DiscoveryTest, RepliesCountWhenEverTheyArriveButOnlyFromPort8003) {
  Reply(RecordWithMac(0x01), 8004);
  auto bad = AsVector(BuildGatewayInfoReply(RecordWithMac(0x02)));
  bad[9] = 185;
  sockets.Deliver(Udp(), bad, Ipv4(), 8003);
  auto shortOne = AsVector(BuildGatewayInfoReply(RecordWithMac(0x03)));
  shortOne.resize(185);
  shortOne[9] = 186;
  sockets.Deliver(Udp(), shortOne, Ipv4(), 8003);
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
  EXPECT_EQ(Text(IdGatewayCount), "0");
  EXPECT_TRUE(DebugLines().empty());  // dropped silently

  Reply(RecordWithMac(0x04));  // long after the search: still taken
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);
}

// The list holds 20; the operator is told of the others, and no new MAC is given that one of
// them answers with.
TEST_F(DiscoveryTest, ModulesBeyondTwentyAreNotListedButSaidAndTheirMacsAreInUse) {
  for (std::uint8_t i = 1; i <= 25; ++i) {
    GatewayRecord module = RecordWithMac(i);
    module.ActualIp = Ipv4(192, 168, 1, i);
    Reply(module);
  }
  // A second reply of a module, listed or not, is no further module.
  for (int again : {25, 1})
    Reply(RecordWithMac(static_cast<std::uint8_t>(again)));
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 20u);
  EXPECT_EQ(Text(IdGatewayCount), "20");
  EXPECT_EQ(Combo(IdGatewayCombo).back(), "02 00 00 00 00 14");
  ws.PickComboEntry(IdGatewayCombo, 19);
  EXPECT_EQ(Text(IdMacEdit6), "14");
  Tick(3);
  EXPECT_EQ(
      DebugLines(),
      Texts{"Vellora: 5 more modules answered the search and are not listed: the list holds 20"});
  ws.Click(IdExpandButton);
  Set(IdMacEdit6, "17");
  const std::size_t sent = SentCount();
  ws.Click(IdSetMacButton);
  EXPECT_EQ(SentCount(), sent);
  EXPECT_EQ(LastLine(),
            "Vellora: Set MAC not sent, 02 00 00 00 00 17 is in use: the module at 192.168.1.23 "
            "(not listed) answered the last search with it");
  // After a search there is room again.
  ws.Click(IdSearchButton);
  Reply(RecordWithMac(25));
  EXPECT_EQ(Combo(IdGatewayCombo), Texts{"02 00 00 00 00 19"});
}

// A typical host firewall drops every reply; an empty list must not be all the operator sees,
// in the collapsed window (which hides the debug list) too. A link without carrier is the
// other usual cause.
TEST_F(DiscoveryTest, ASearchNobodyAnswersSaysSoOnceAndNamesTheUsualCause) {
  Tick(2);
  EXPECT_TRUE(DebugLines().empty());
  Tick(1);
  EXPECT_EQ(DebugLines(), (Texts{"Vellora: No module answered the search from 192.168.1.20.",
                                 "Vellora: A firewall may drop the replies: let UDP from port "
                                 "8003 in."}));
  EXPECT_EQ(ws.Get(IdGatewayCount).ToolTip,
            "No module answered the search from 192.168.1.20.\nA firewall may drop the replies: "
            "let UDP from port 8003 in.");
  Tick(5);
  EXPECT_EQ(DebugLines().size(), 2u);
  // Answered searches stay quiet, however late the tick.
  ws.Click(IdSearchButton);
  Tick(2);
  Reply(RecordWithMac(0x01));
  EXPECT_EQ(ws.Get(IdGatewayCount).ToolTip, "");
  Tick(5);
  EXPECT_EQ(DebugLines().size(), 2u);
  // A search that could not be sent is not waited for.
  Udp().WriteErrors = {wsa::ENETDOWN_};
  ws.Click(IdSearchButton);
  Tick(5);
  EXPECT_EQ(LastLine(), sockets.GetReasonString(wsa::ENETDOWN_));
  // Without a carrier, the link is named instead of a firewall.
  sockets.ChangeAddresses({{Ipv4(192, 168, 1, 20), 2, "eth0", false}});
  ws.PickComboEntry(IdPcIpCombo, 0);  // a new socket, and a search
  Tick(3);
  EXPECT_EQ(LastLine(), "Vellora: The link of eth0 is down: check the cable.");
}

}  // namespace
