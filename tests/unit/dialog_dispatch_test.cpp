// Command dispatch, selection-change routing and the two window forms.
#include "tests/support/vellora_fixture.h"

namespace {

class DispatchTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    Reply(Gateway(0x01));
  }

  // Everything a click may change: datagrams, debug list, state, window.
  struct Snapshot {
    std::size_t Sent;
    std::vector<std::string> Lines;
    std::int32_t TcpState;
    bool Collapsed;
    std::uint32_t BytesReceived;
    bool operator==(const Snapshot&) const = default;
  };
  Snapshot Take() const {
    return {SentBytes().size(), DebugLines(), dlg->TcpState, dlg->Collapsed, dlg->BytesReceived};
  }
};

TEST_F(DispatchTest, EveryButtonReachesItsHandler) {
  ws.Click(IdSearchButton);
  EXPECT_EQ(LastSent(), AsVector(BuildSearchRequest()));
  Reply(Gateway(0x01));

  ws.Click(IdSetButton);
  EXPECT_EQ(LastSent().size(), 181u);
  ws.Click(IdRebootButton);
  EXPECT_EQ(LastSent()[1], 0x05);
  ws.Click(IdExpandButton);
  EXPECT_FALSE(dlg->Collapsed);
  ws.Click(IdSetMacButton);
  EXPECT_EQ(LastSent()[1], 0x06);
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(LastSent()[1], 0x06);
  EXPECT_EQ(Text(11245), "01");
  ws.Click(IdSetEepromButton);
  EXPECT_EQ(LastSent()[1], 0x07);
  ws.Click(IdConnectButton);
  EXPECT_EQ(dlg->TcpState, TcpConnecting);
  ws.Click(IdClearListButton);
  EXPECT_TRUE(DebugLines().empty());
  dlg->BytesReceived = 5;
  ws.Click(IdClearStatsButton);
  EXPECT_EQ(dlg->BytesReceived, 0u);
}

TEST_F(DispatchTest, CheckBoxesAndUnknownIdsOnlyChangeTheirOwnMark) {
  const Snapshot before = Take();
  for (int id : {IdUseDhcpCheck, IdUseProxyCheck, IdVerifyMacCheck}) {
    ws.Click(id);
    EXPECT_TRUE(ws.IsDlgButtonChecked(id)) << id;
  }
  dlg->DispatchButton(4711);
  dlg->DispatchButton(IdNameEdit);
  EXPECT_EQ(Take(), before);
}

TEST_F(DispatchTest, OnlyClicksFromControlsAreDispatched) {
  const std::size_t sent = SentBytes().size();
  // No control window: not a click.
  dlg->WindowProc(WM_COMMAND, MakeLong(IdSearchButton, BN_CLICKED), 0);
  // A notification other than a click.
  dlg->WindowProc(WM_COMMAND, MakeLong(IdSearchButton, 5), IdSearchButton);
  EXPECT_EQ(SentBytes().size(), sent);
  dlg->WindowProc(WM_COMMAND, MakeLong(IdSearchButton, BN_CLICKED), IdSearchButton);
  EXPECT_EQ(SentBytes().size(), sent + 1);
}

TEST_F(DispatchTest, SelectionChangesReachTheirHandlers) {
  GatewayRecord second = Gateway(0x02);
  std::strcpy(second.Name, "second");
  Reply(second);
  ws.PickComboEntry(IdGatewayCombo, 1);
  EXPECT_EQ(Text(IdNameEdit), "second");

  const std::size_t socketsBefore = sockets.Sockets.size();
  ws.PickComboEntry(IdPcIpCombo, 1);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 2: 10.0.0.7 )");
  EXPECT_EQ(sockets.Sockets.size(), socketsBefore + 2);  // a new UDP and a new TCP socket
}

TEST_F(DispatchTest, ExpandAndCollapseTwiceReturnToTheSameForm) {
  auto form = [this] {
    std::vector<int> state;
    for (const DialogControl& c : MainDialogTemplate().Controls) {
      if (c.Id < 0) continue;
      state.push_back(ws.Get(c.Id).Visible);
      state.push_back(ws.Get(c.Id).Enabled);
    }
    state.push_back(ws.DialogWidth);
    state.push_back(ws.DialogHeight);
    return std::make_pair(state, Text(IdExpandButton));
  };
  const auto collapsed = form();
  ws.Click(IdExpandButton);
  const auto expanded = form();
  EXPECT_EQ(ws.DialogHeight, 756);
  EXPECT_EQ(Text(IdExpandButton), "<<");
  for (int id : {IdSetMacButton, IdConnectButton, IdStateText, 11253, 11247, 11246, 11245,
                 IdSetIncrButton}) {
    EXPECT_TRUE(ws.Get(id).Visible) << id;
  }
  for (int id : kMacEditIds)
    EXPECT_TRUE(ws.Get(id).Enabled) << id;
  EXPECT_TRUE(ws.Get(IdServerEdit).Enabled);

  ws.Click(IdExpandButton);
  EXPECT_EQ(form(), collapsed);
  ws.Click(IdExpandButton);
  EXPECT_EQ(form(), expanded);
  ws.Click(IdExpandButton);
  EXPECT_EQ(form(), collapsed);
}

TEST_F(DispatchTest, TogglingWhileMinimisedChangesNothing) {
  ws.Iconic = true;
  ws.Click(IdExpandButton);
  EXPECT_TRUE(dlg->Collapsed);
  EXPECT_EQ(ws.DialogHeight, 470);
  EXPECT_EQ(Text(IdExpandButton), ">>");
}

TEST_F(DispatchTest, CollapsingKeepsFieldTextsAndAnOpenConnection) {
  ws.Click(IdExpandButton);
  ws.Type(IdServerEdit, "abc");
  ws.Click(IdConnectButton);
  sockets.AcceptConnect(Tcp());
  ASSERT_EQ(Text(IdConnectButton), "Disconnect");
  ws.Click(IdExpandButton);
  EXPECT_EQ(dlg->TcpState, TcpConnected);
  EXPECT_FALSE(ws.Get(IdConnectButton).Visible);
  EXPECT_EQ(Text(IdConnectButton), "Disconnect");
  EXPECT_EQ(Text(IdServerEdit), "abc");
  EXPECT_FALSE(ws.Get(IdServerEdit).Enabled);
}

TEST_F(DispatchTest, LockingDisablesGatewayChoiceAndSearchOnly) {
  dlg->LockGatewaySelection(true);
  EXPECT_FALSE(ws.Get(IdGatewayCombo).Enabled);
  EXPECT_FALSE(ws.Get(IdSearchButton).Enabled);
  EXPECT_TRUE(ws.Get(IdPcIpCombo).Enabled);
  const std::size_t sent = SentBytes().size();
  ws.Click(IdSearchButton);  // a disabled button cannot be clicked
  EXPECT_EQ(SentBytes().size(), sent);
  dlg->LockGatewaySelection(false);
  EXPECT_TRUE(ws.Get(IdGatewayCombo).Enabled);
  EXPECT_TRUE(ws.Get(IdSearchButton).Enabled);
}

}  // namespace
