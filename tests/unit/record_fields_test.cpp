// A gateway's record shown in the fields and read back.
#include "tests/support/vellora_fixture.h"

namespace {

class RecordFieldsTest : public VelloraTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(RecordFieldsTest, ShowsEveryFieldOfTheRecord) {
  GatewayRecord r = Gateway(0x40, 0x0A);
  r.Mac[3] = 0x01;
  r.Mac[4] = 0xE2;
  r.ActualIp = 0xC0A801FE;
  r.Ip = 0xC0A8010A;
  r.Netmask = 0xFFFFFF00;
  r.GatewayIp = 0xC0A80101;
  r.DnsIp = 0x08080404;
  r.Port = 8003;
  r.UseDhcp = 1;
  r.UseProxy = 2;
  std::strcpy(r.Name, "n\xE4me");
  std::strcpy(r.Server, "server");
  std::strcpy(r.ProxyServer, "proxy");
  Reply(r);

  EXPECT_EQ(Text(11210), "0A");
  EXPECT_EQ(Text(11207), "01");
  EXPECT_EQ(Text(11206), "E2");
  EXPECT_EQ(Text(11205), "40");
  std::vector<std::string> octets;
  for (int id : kOctetEditIds)
    octets.push_back(Text(id));
  EXPECT_EQ(octets, (std::vector<std::string>{"192", "168", "1",   "254", "192", "168", "1",
                                              "10",  "255", "255", "255", "0",   "192", "168",
                                              "1",   "1",   "8",   "8",   "4",   "4"}));
  EXPECT_EQ(Text(IdPortEdit), "8003");
  EXPECT_TRUE(ws.IsDlgButtonChecked(IdUseDhcpCheck));
  EXPECT_TRUE(ws.IsDlgButtonChecked(IdUseProxyCheck));
  EXPECT_EQ(Text(IdNameEdit), "n\xE4me");
  EXPECT_EQ(Text(IdServerEdit), "server");
  EXPECT_EQ(Text(IdProxyEdit), "proxy");
  // Serial number 123456 from the last three bytes 01 E2 40.
  EXPECT_EQ((std::vector<std::string>{Text(11257), Text(11256), Text(11255), Text(11254)}),
            (std::vector<std::string>{"00", "12", "34", "56"}));
}

TEST_F(RecordFieldsTest, SerialNumberUsesAllEightDigits) {
  GatewayRecord r = Gateway(0xFF);
  r.Mac[3] = r.Mac[4] = 0xFF;
  Reply(r);
  EXPECT_EQ(Text(11257) + Text(11256) + Text(11255) + Text(11254), "16777215");
}

TEST_F(RecordFieldsTest, OperatorFieldsAreNeverOverwritten) {
  ws.Click(IdExpandButton);
  ws.SetDlgItemText(11253, "12");
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdLabelMacEdit, "001A2B");
  Reply(Gateway(0x01));
  ws.Click(IdSearchButton);
  EXPECT_EQ(Text(11253), "12");
  EXPECT_EQ(Text(IdEepromAddressEdit), "1F0");
  EXPECT_EQ(Text(IdLabelMacEdit), "001A2B");
}

TEST_F(RecordFieldsTest, ASelectionChangeToNothingChangesNoField) {
  Reply(Gateway(0x01));
  ws.SetDlgItemText(IdNameEdit, "typed");
  ws.ComboSetSelIndex(IdGatewayCombo, -1);
  dlg->WindowProc(WM_COMMAND, MakeLong(IdGatewayCombo, CBN_SELCHANGE), IdGatewayCombo);
  EXPECT_EQ(Text(IdNameEdit), "typed");
}

TEST_F(RecordFieldsTest, ReadsTheEditableFieldsBackIntoTheSelectedRecord) {
  GatewayRecord r = Gateway(0x01);
  r.ActualIp = 0x01020304;
  Reply(r);
  auto set = [this](int id, const std::string& t) { ws.SetDlgItemText(id, t); };
  set(11222, "10"), set(11221, "0"), set(11220, "0"), set(11219, "1");
  set(11218, "255"), set(11217, "255"), set(11216, "0"), set(11215, "0");
  set(11214, ""), set(11213, "x"), set(11212, " 7"), set(11211, "3");  // no number reads as 0
  set(11252, "1"), set(11251, "2"), set(11250, "3"), set(11249, "4");
  set(IdPortEdit, "1234");
  set(IdNameEdit, std::string(40, 'n'));
  set(IdServerEdit, std::string(70, 's'));
  set(IdProxyEdit, "p");
  ws.CheckDlgButton(IdUseDhcpCheck, true);
  dlg->ReadGatewayFields(0);

  const GatewayRecord& read = dlg->GatewayList[0];
  EXPECT_EQ(read.Ip, 0x0A000001u);
  EXPECT_EQ(read.Netmask, 0xFFFF0000u);
  EXPECT_EQ(read.GatewayIp, 0x00000703u);
  EXPECT_EQ(read.DnsIp, 0x01020304u);
  EXPECT_EQ(read.Port, 1234u);
  EXPECT_EQ(read.UseDhcp, 1);
  EXPECT_EQ(read.UseProxy, 0);
  EXPECT_EQ(std::string(read.Name), std::string(32, 'n'));
  EXPECT_EQ(std::string(read.Server), std::string(64, 's'));
  EXPECT_STREQ(read.ProxyServer, "p");
  // Never read from the fields.
  EXPECT_EQ(read.ActualIp, 0x01020304u);
  EXPECT_EQ(read.Mac[5], 0x01);
}

}  // namespace
