// Discovery: the search command and the list of gateways that answer.
#include "tests/support/vellora_fixture.h"

namespace {

class DiscoveryTest : public VelloraTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(DiscoveryTest, GatewaysAreListedInTheOrderTheyFirstAnswerWithTheirCount) {
  GatewayRecord a = RecordWithMac(0x03), b = RecordWithMac(0x01), c = RecordWithMac(0x02);
  std::strcpy(b.Name, "the-one");
  Reply(a);
  EXPECT_EQ(Text(IdGatewayCount), "1");
  Reply(b);
  Reply(c);
  EXPECT_EQ(
      Combo(IdGatewayCombo),
      (std::vector<std::string>{"02 00 00 00 00 03", "02 00 00 00 00 01", "02 00 00 00 00 02"}));
  EXPECT_EQ(Text(IdGatewayCount), "3");
  // The first stays selected and shown; picking the second shows the gateway ending in 01.
  EXPECT_EQ(ws.Get(IdGatewayCombo).Selected, 0);
  ws.PickComboEntry(IdGatewayCombo, 1);
  EXPECT_EQ(Text(IdNameEdit), "the-one");
  EXPECT_EQ(Text(IdMacEdit6), "01");
}

TEST_F(DiscoveryTest, AGatewayIsListedOnceWithItsFirstReply) {
  GatewayRecord first = RecordWithMac(0x01);
  std::strcpy(first.Name, "first");
  Reply(first);
  GatewayRecord again = first;
  std::strcpy(again.Name, "changed");
  Reply(again);
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);
  EXPECT_EQ(Text(IdNameEdit), "first");
}

TEST_F(DiscoveryTest, AFurtherReplyOfTheOnlyGatewayShowsItsRecordAgain) {
  Reply(RecordWithMac(0x01));
  ws.Type(11219, "9");
  EXPECT_EQ(Text(11219), "09");
  Reply(RecordWithMac(0x01));
  EXPECT_EQ(Text(11219), "0");  // the typed edit is lost

  Reply(RecordWithMac(0x02));
  ws.SetDlgItemText(11219, "77");
  Reply(RecordWithMac(0x02));  // with two listed, a duplicate changes nothing on screen
  EXPECT_EQ(Text(11219), "77");
}

TEST_F(DiscoveryTest, SearchEmptiesListAndFieldsBeforeTheRequestLeaves) {
  GatewayRecord r = RecordWithMac(0x01);
  std::strcpy(r.Name, "x");
  r.UseDhcp = r.UseProxy = 1;
  r.Ip = Ipv4::FromNumber(0x0A000001);
  Reply(r);
  Reply(RecordWithMac(0x02));
  ws.Journal.clear();
  ws.Click(IdSearchButton);
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
  EXPECT_EQ(ws.Get(IdGatewayCombo).Selected, -1);
  EXPECT_EQ(Text(IdGatewayCount), "0");
  for (int id : kMacEditIds)
    EXPECT_EQ(Text(id), "00");
  for (int id : kOctetEditIds)
    EXPECT_EQ(Text(id), "0");
  EXPECT_EQ(Text(IdPortEdit), "0");
  EXPECT_EQ(Text(IdNameEdit), "");
  EXPECT_FALSE(ws.IsDlgButtonChecked(IdUseDhcpCheck));
  EXPECT_FALSE(ws.IsDlgButtonChecked(IdUseProxyCheck));
  EXPECT_EQ(ws.Journal, std::vector<std::string>{"Send 10 bytes to 255.255.255.255:8003"});
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
  Reply(RecordWithMac(25));  // a second reply of a module not listed is no further module
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 20u);
  EXPECT_EQ(Text(IdGatewayCount), "20");
  EXPECT_EQ(Combo(IdGatewayCombo).back(), "02 00 00 00 00 14");
  ws.PickComboEntry(IdGatewayCombo, 19);
  EXPECT_EQ(Text(IdMacEdit6), "14");
  for (int i = 0; i < 3; ++i)
    Tick();
  EXPECT_EQ(
      DebugLines(),
      std::vector<std::string>{
          "Vellora: 5 more modules answered the search and are not listed: the list holds 20"});
  ws.Click(IdExpandButton);
  ws.SetDlgItemText(IdMacEdit6, "17");
  const std::size_t sent = SentBytes().size();
  ws.Click(IdSetMacButton);
  EXPECT_EQ(SentBytes().size(), sent);
  EXPECT_EQ(DebugLines().back(),
            "Vellora: Set MAC not sent, 02 00 00 00 00 17 is in use: the module at 192.168.1.23 "
            "(not listed) answered the last search with it");
  // After a search there is room again.
  ws.Click(IdSearchButton);
  Reply(RecordWithMac(25));
  EXPECT_EQ(Combo(IdGatewayCombo), std::vector<std::string>{"02 00 00 00 00 19"});
}

// A typical host firewall drops every reply; an empty list must not be all the operator sees,
// in the collapsed window (which hides the debug list) too. A link without carrier is the
// other usual cause.
TEST_F(DiscoveryTest, ASearchNobodyAnswersSaysSoOnceAndNamesTheUsualCause) {
  const std::vector<std::string> lines = {
      "Vellora: No module answered the search from 192.168.1.20.",
      "Vellora: A firewall may drop the replies: let UDP from port 8003 in."};
  ws.FireTimer(2300);
  ws.FireTimer(2300);
  EXPECT_TRUE(DebugLines().empty());
  ws.FireTimer(2300);
  EXPECT_EQ(DebugLines(), lines);
  EXPECT_EQ(ws.Get(IdGatewayCount).ToolTip,
            "No module answered the search from 192.168.1.20.\nA firewall may drop the replies: "
            "let UDP from port 8003 in.");
  for (int i = 0; i < 5; ++i)
    ws.FireTimer(2300);
  EXPECT_EQ(DebugLines().size(), 2u);

  // Answered searches stay quiet, however late the tick.
  ws.Click(IdSearchButton);
  ws.FireTimer(2300);
  ws.FireTimer(2300);
  Reply(RecordWithMac(0x01));
  EXPECT_EQ(ws.Get(IdGatewayCount).ToolTip, "");
  for (int i = 0; i < 5; ++i)
    ws.FireTimer(2300);
  EXPECT_EQ(DebugLines().size(), 2u);
  // A search that could not be sent is not waited for.
  Udp().WriteErrors = {wsa::ENETDOWN_};
  ws.Click(IdSearchButton);
  for (int i = 0; i < 5; ++i)
    ws.FireTimer(2300);
  EXPECT_EQ(DebugLines().back(), sockets.GetReasonString(wsa::ENETDOWN_));

  // Without a carrier, the link is named instead of a firewall.
  sockets.ChangeAddresses({{Ipv4(192, 168, 1, 20), 2, "eth0", false}});
  ws.PickComboEntry(IdPcIpCombo, 0);  // a new socket, and a search
  for (int i = 0; i < 3; ++i)
    ws.FireTimer(2300);
  EXPECT_EQ(DebugLines().back(), "Vellora: The link of eth0 is down: check the cable.");
}

}  // namespace
