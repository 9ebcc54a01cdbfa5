// Command dispatch and the two window forms.
#include "tests/support/vellora_fixture.h"

namespace {

class DispatchTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    Reply(RecordWithMac(0x01));
  }
  std::uint8_t LastCommand() const { return LastSent().at(1); }
};

TEST_F(DispatchTest, EveryButtonReachesItsHandler) {
  ws.Click(IdExpandButton);
  EXPECT_EQ(Text(IdExpandButton), "<<");
  ws.Type(IdEepromAddressEdit, "10");
  ws.Type(IdEepromValueEdit, "1");
  const std::vector<std::pair<int, std::uint8_t>> sends = {
      {IdSetButton, 0x04},     {IdRebootButton, 0x05},    {IdSetMacButton, 0x06},
      {IdSetIncrButton, 0x06}, {IdSetEepromButton, 0x07}, {IdSearchButton, 0x01}};
  for (const auto& [id, command] : sends) {
    ws.Click(id);
    EXPECT_EQ(LastCommand(), command) << id;
  }
  ws.Click(IdConnectButton);
  // The search emptied the list: there is no module to connect to.
  EXPECT_EQ(DebugLines().back(), "Vellora: No module selected, cannot connect");
  ws.Click(IdClearListButton);
  EXPECT_TRUE(DebugLines().empty());
}

TEST_F(DispatchTest, CheckBoxesAndUnknownIdsChangeNothingElse) {
  const std::size_t sent = SentBytes().size();
  for (int id : {IdUseDhcpCheck, IdUseProxyCheck, IdVerifyMacCheck}) {
    ws.Click(id);
    EXPECT_TRUE(ws.IsDlgButtonChecked(id)) << id;
  }
  Dialog().DispatchButton(4711);
  EXPECT_EQ(SentBytes().size(), sent);
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);
}

TEST_F(DispatchTest, ExpandAndCollapseTwiceReturnToTheSameForm) {
  auto form = [this] {
    std::vector<int> state{ws.DialogWidth, ws.DialogHeight};
    for (const DialogControl& c : MainDialogTemplate().Controls) {
      if (c.Id >= 0) state.insert(state.end(), {ws.Get(c.Id).Visible, ws.Get(c.Id).Enabled});
    }
    return std::make_pair(state, Text(IdExpandButton));
  };
  const auto collapsed = form();
  ws.Click(IdExpandButton);
  const auto expanded = form();
  EXPECT_EQ(ws.DialogHeight, 756);
  ExpectForm(true);
  for (const auto& expected : {collapsed, expanded, collapsed}) {
    ws.Click(IdExpandButton);
    EXPECT_EQ(form(), expected);
  }
}

TEST_F(DispatchTest, CollapsingKeepsFieldTextsAndAnOpenConnection) {
  ws.Click(IdExpandButton);
  ws.Type(IdServerEdit, "abc");
  ws.Click(IdConnectButton);
  sockets.AcceptConnect(Tcp());
  ws.Click(IdExpandButton);
  EXPECT_EQ(Text(IdStateText), "State: Connected");
  EXPECT_EQ(Text(IdConnectButton), "Disconnect");
  EXPECT_EQ(Text(IdServerEdit), "abc");
}

TEST_F(DispatchTest, TogglingWhileMinimisedChangesNothing) {
  ws.Iconic = true;
  ws.Click(IdExpandButton);
  EXPECT_EQ(ws.DialogHeight, 470);
  EXPECT_EQ(Text(IdExpandButton), ">>");
}

}  // namespace
