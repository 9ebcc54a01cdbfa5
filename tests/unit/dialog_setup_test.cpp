// Set-up of the main dialog: timer, PC address list, sockets, first search, window form.
#include "tests/support/vellora_fixture.h"

#include <algorithm>

namespace {

using SetupTest = VelloraTest;

TEST_F(SetupTest, ListsThePcAddressesNumberedFromOneAndUsesTheFirst) {
  sockets.Host.Addresses.clear();
  for (unsigned i = 1; i <= 11; ++i)
    sockets.Host.Addresses.push_back(NetworkAddress(10, 0, 0, i));
  Start();
  const auto entries = Combo(IdPcIpCombo);
  ASSERT_EQ(entries.size(), 11u);
  EXPECT_EQ(entries[0], "1: 10.0.0.1");
  EXPECT_EQ(entries[9], "10: 10.0.0.10");
  EXPECT_EQ(entries[10], "11: 10.0.0.11");
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 0);
  EXPECT_EQ(dlg->PcAddressIndex, 0);
  EXPECT_EQ(Udp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 1));
  EXPECT_TRUE(Udp().Bound);
  EXPECT_TRUE(Udp().Broadcast);
  EXPECT_EQ(dlg->UdpState, UdpReady);
  EXPECT_EQ(Tcp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 1));
  EXPECT_FALSE(Tcp().Open);  // the terminal's system socket is made at connect time
}

TEST_F(SetupTest, StartsExactlyOneTimerAndSearchesOnce) {
  Start();
  EXPECT_EQ(ws.Timers, (std::map<unsigned, unsigned>{{2300u, 1000u}}));
  ASSERT_EQ(SentBytes().size(), 1u);
  EXPECT_EQ(LastSent(), AsVector(BuildSearchRequest()));
  const auto& sent = Udp().Sent.back();
  EXPECT_EQ(sent.Peer.GetNetworkAddress(), NetworkAddress(255, 255, 255, 255));
  EXPECT_EQ(TWinSockDll::ntohs(sent.Peer.GetPort()), 8003);
  EXPECT_EQ(Text(IdGatewayCount), "0");
  EXPECT_TRUE(ws.Boxes.empty());
}

TEST_F(SetupTest, NoTimerGivesTheCaptionOnlyBoxAndSetUpGoesOn) {
  ws.FailSetTimer = true;
  Start();
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "");
  EXPECT_EQ(ws.Boxes[0].Caption, "Kein Timer f\xFCr Refresh des Socket-Dialogs verf\xFCgbar!");
  EXPECT_EQ(ws.Boxes[0].Type, MB_OK);
  EXPECT_TRUE(ws.Boxes[0].OwnedByDialog);
  EXPECT_EQ(SentBytes().size(), 1u);
  EXPECT_TRUE(dlg->Collapsed);
}

TEST_F(SetupTest, DebugListScrollsSidewaysInAFixedPitchFont) {
  Start();
  EXPECT_EQ(ws.Get(IdDebugList).HorizontalExtent, 2000);
  EXPECT_TRUE(ws.Get(IdDebugList).FixedPitchFont);
}

TEST_F(SetupTest, WithoutAnyAddressThereIsNoSocketAndTheUserIsTold) {
  sockets.Host.Addresses.clear();
  Start();
  EXPECT_TRUE(Combo(IdPcIpCombo).empty());
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
  EXPECT_EQ(sockets.LastDatagramSocket(), nullptr);
  EXPECT_EQ(dlg->UdpState, UdpClosed);
  EXPECT_EQ(ws.FrameCaption, "Vellora");
  EXPECT_EQ(DebugLines(), std::vector<std::string>{
                              "Vellora: No IPv4 address found on this PC, no search possible"});
  // A command that would send says so once and sends nothing.
  ws.Click(IdSearchButton);
  EXPECT_EQ(DebugLines().back(), "Vellora: No PC address chosen, nothing sent");
  EXPECT_TRUE(sockets.AllSent().empty());
  EXPECT_TRUE(ws.Shown);
}

TEST_F(SetupTest, HostLookupFailureIsTreatedAsNoAddress) {
  sockets.HostLookupFails = true;
  Start();
  EXPECT_TRUE(Combo(IdPcIpCombo).empty());
  EXPECT_EQ(sockets.LastDatagramSocket(), nullptr);
}

TEST_F(SetupTest, OpensCollapsedAtTheMeasuredSizes) {
  Start();
  EXPECT_EQ(dlg->ExpandedWidth, 459);
  EXPECT_EQ(dlg->ExpandedHeight, 756);
  EXPECT_EQ(dlg->CollapsedWidth, 459);
  EXPECT_EQ(dlg->CollapsedHeight, 470);
  EXPECT_EQ(ws.DialogWidth, 459);
  EXPECT_EQ(ws.DialogHeight, 470);
  EXPECT_TRUE(dlg->Collapsed);
  EXPECT_EQ(Text(IdExpandButton), ">>");
  for (int id : {IdSetMacButton, IdConnectButton, IdStateText, 11253, 11247, 11246, 11245,
                 IdSetIncrButton}) {
    EXPECT_FALSE(ws.Get(id).Visible) << id;
  }
  for (int id : kMacEditIds)
    EXPECT_FALSE(ws.Get(id).Enabled) << id;
  EXPECT_FALSE(ws.Get(IdServerEdit).Enabled);
  // The gateway choice is open, the ">>" button stays usable below the cut.
  EXPECT_TRUE(ws.Get(IdGatewayCombo).Enabled);
  EXPECT_TRUE(ws.Get(IdSearchButton).Enabled);
  EXPECT_TRUE(ws.Get(IdExpandButton).Visible);
  EXPECT_TRUE(ws.Get(IdExpandButton).Enabled);
  EXPECT_GT(ws.Get(IdExpandButton).Rect.Top, dlg->CollapsedHeight);
}

TEST_F(SetupTest, ResourceTextsStandUntilTheirOwnersWriteThem) {
  Start();
  EXPECT_EQ(Text(IdStateText), "State: Idle");
  EXPECT_EQ(Text(IdConnectButton), "Connect");
  EXPECT_EQ(Text(IdReceiveRate), "Baudrate");
  EXPECT_EQ(Text(IdReceiveTotal), "Gesamt");
  EXPECT_EQ(Text(IdCommandTotal), "Gesamt In");
  EXPECT_EQ(Text(IdSendTotal), "Gesamt Out");
  // The first search showed the empty record.
  EXPECT_EQ(Text(IdNameEdit), "");
  EXPECT_EQ(Text(11210), "00");
  // The idle state is not entered at start: no log line, no idle caption.
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(ws.DialogCaption, "Vellora");
}

}  // namespace
