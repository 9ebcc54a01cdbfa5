// Set-up of the main dialog: timer, PC address list, sockets, first search, window form.
#include "tests/support/vellora_fixture.h"

namespace {

using SetupTest = VelloraTest;

TEST_F(SetupTest, ListsThePcAddressesNumberedFromOneAndUsesTheFirst) {
  sockets.Host.Entries = Addresses(10, 0, 0, 11);
  Start();
  const auto entries = Combo(IdPcIpCombo);
  ASSERT_EQ(entries.size(), 11u);
  EXPECT_EQ(entries[0], "1: 10.0.0.1");
  EXPECT_EQ(entries[9], "10: 10.0.0.10");
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 0);
  EXPECT_EQ(Udp().Own.GetAddress(), Ipv4(10, 0, 0, 1));
  EXPECT_TRUE(Udp().Bound && Udp().Broadcast);
  EXPECT_EQ(Tcp().Own.GetAddress(), Ipv4(10, 0, 0, 1));
  EXPECT_FALSE(Tcp().Open);  // the terminal's system socket is made at connect time
}

TEST_F(SetupTest, StartsOneTimerSearchesOnceAndPreparesTheDebugList) {
  Start();
  EXPECT_EQ(ws.Timers, (std::map<unsigned, unsigned>{{2300u, 1000u}}));
  ASSERT_EQ(SentBytes().size(), 1u);
  EXPECT_EQ(LastSent(), AsVector(BuildSearchRequest()));
  EXPECT_EQ(Udp().Sent[0].Peer, TINetSocketAddress(8003, Ipv4(255, 255, 255, 255)));
  EXPECT_EQ(Text(IdGatewayCount), "0");
  EXPECT_EQ(ws.Get(IdDebugList).HorizontalExtent, 2000);
  EXPECT_TRUE(ws.Get(IdDebugList).FixedPitchFont);
  EXPECT_TRUE(ws.Boxes.empty());
}

TEST_F(SetupTest, NoTimerGivesTheCaptionOnlyBoxAndSetUpGoesOn) {
  ws.FailSetTimer = true;
  Start();
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "");
  EXPECT_EQ(ws.Boxes[0].Caption, "Kein Timer f\xFCr Refresh des Socket-Dialogs verf\xFCgbar!");
  EXPECT_EQ(ws.Boxes[0].Type, MB_OK);
  EXPECT_EQ(SentBytes().size(), 1u);
  EXPECT_EQ(Text(IdExpandButton), ">>");
}

TEST_F(SetupTest, WithoutAnyAddressThereIsNoSocketAndTheUserIsTold) {
  for (bool lookupFails : {false, true}) {
    MemoryWindowSystem windows;
    MemorySocketLayer layer;
    layer.AddressesUnreadable = lookupFails;
    TSocketViewApp application("Vellora", windows, layer);
    application.InitMainWindow();
    EXPECT_TRUE(windows.Get(IdPcIpCombo).Items.empty());
    EXPECT_EQ(layer.LastDatagramSocket(), nullptr);
    // The banner caption from the first paint, with no address after it.
    EXPECT_EQ(windows.FrameCaption, "Quenlan V1.11 18.07.2008");
    EXPECT_EQ(
        windows.Lines(IdDebugList),
        std::vector<std::string>{"Vellora: No IPv4 address found on this PC, no search possible"});
    windows.Click(IdSearchButton);  // a command that would send says so and sends nothing
    EXPECT_EQ(windows.Lines(IdDebugList).back(), "Vellora: No PC address chosen, nothing sent");
    EXPECT_TRUE(layer.AllSent().empty());
    EXPECT_TRUE(windows.Shown);
  }
}

TEST_F(SetupTest, OpensCollapsedAtTheMeasuredSizes) {
  Start();
  EXPECT_EQ(ws.DialogWidth, 459);
  EXPECT_EQ(ws.DialogHeight, 470);
  // Collapsed from the whole template before the frame is shown.
  EXPECT_EQ(ws.Journal.end()[-2], "SetDialogSize 459x470");
  ws.Click(IdExpandButton);
  EXPECT_EQ(ws.Journal.back(), "SetDialogSize 459x756");
  ws.Click(IdExpandButton);
  ExpectForm(false);
  EXPECT_TRUE(ws.Get(IdGatewayCombo).Enabled && ws.Get(IdSearchButton).Enabled);
  EXPECT_TRUE(ws.Get(IdExpandButton).Visible && ws.Get(IdExpandButton).Enabled);
}

TEST_F(SetupTest, ResourceTextsStandUntilTheirOwnersWriteThem) {
  Start();
  EXPECT_EQ(Text(IdStateText), "State: Idle");
  EXPECT_EQ(Text(IdConnectButton), "Connect");
  EXPECT_EQ(Text(IdReceiveRate), "Baudrate");
  EXPECT_EQ(Text(IdSendTotal), "Gesamt Out");
  EXPECT_EQ(Text(11210), "00");  // the first search showed the empty record
  // The idle state is not entered at start: no log line, no idle caption.
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(ws.DialogCaption, "Vellora");
}

}  // namespace
