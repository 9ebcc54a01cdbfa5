// A gateway's record shown in the fields and read back.
#include "tests/support/vellora_fixture.h"

namespace {

class RecordFieldsTest : public VelloraTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(RecordFieldsTest, ShowsEveryFieldOfTheRecord) {
  GatewayRecord r = SampleRecord();
  r.Mac[0] = 0x0A;
  r.Mac[3] = 0x01;
  r.Mac[4] = 0xE2;
  r.Mac[5] = 0x40;
  r.ActualIp = Ipv4::FromNumber(0xC0A801FE);
  r.UseDhcp = 1;
  r.UseProxy = 2;
  std::strcpy(r.Name, "n\xE4me");
  Reply(r);

  EXPECT_EQ(Text(11210), "0A");
  EXPECT_EQ(Text(11207), "01");
  EXPECT_EQ(Text(11206), "E2");
  EXPECT_EQ(Text(11205), "40");
  std::vector<std::string> octets;
  for (int id : kOctetEditIds)
    octets.push_back(Text(id));
  EXPECT_EQ(octets, (std::vector<std::string>{"192", "168", "1",   "254", "192", "168", "1",
                                              "50",  "255", "255", "255", "0",   "192", "168",
                                              "1",   "1",   "8",   "8",   "8",   "8"}));
  EXPECT_EQ(Text(IdPortEdit), "8080");
  EXPECT_TRUE(ws.IsDlgButtonChecked(IdUseDhcpCheck));
  EXPECT_TRUE(ws.IsDlgButtonChecked(IdUseProxyCheck));
  EXPECT_EQ(Text(IdNameEdit), "n\xE4me");
  EXPECT_EQ(Text(IdServerEdit), "collector.plant.example");
  EXPECT_EQ(Text(IdProxyEdit), "proxy.plant.example");
  // Serial number 123456 from the last three bytes 01 E2 40.
  EXPECT_EQ((std::vector<std::string>{Text(11257), Text(11256), Text(11255), Text(11254)}),
            (std::vector<std::string>{"00", "12", "34", "56"}));
}

TEST_F(RecordFieldsTest, SerialNumberUsesAllEightDigits) {
  GatewayRecord r = RecordWithMac(0xFF);
  r.Mac[3] = r.Mac[4] = 0xFF;
  Reply(r);
  EXPECT_EQ(Text(11257) + Text(11256) + Text(11255) + Text(11254), "16777215");
}

TEST_F(RecordFieldsTest, OperatorFieldsAreNeverOverwritten) {
  ws.Click(IdExpandButton);
  ws.SetDlgItemText(11253, "12");
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdLabelMacEdit, "001A2B");
  Reply(RecordWithMac(0x01));
  ws.Click(IdSearchButton);
  EXPECT_EQ(Text(11253), "12");
  EXPECT_EQ(Text(IdEepromAddressEdit), "1F0");
  EXPECT_EQ(Text(IdLabelMacEdit), "001A2B");
}

TEST_F(RecordFieldsTest, ASelectionChangeToNothingChangesNoField) {
  Reply(RecordWithMac(0x01));
  ws.SetDlgItemText(IdNameEdit, "typed");
  ws.ComboSetSelIndex(IdGatewayCombo, -1);
  Dialog().WindowProc(WM_COMMAND, MakeLong(IdGatewayCombo, CBN_SELCHANGE), IdGatewayCombo);
  EXPECT_EQ(Text(IdNameEdit), "typed");
}

}  // namespace
