// Start-up and set-up of the main dialog: the socket-layer check, the frame, the timer, the PC
// address list, the sockets, the first search, and the two window forms; the validators' rules,
// and the whole-field check before the window closes.
#include <algorithm>

#include "tests/support/vellora_fixture.h"

namespace {

using SetupTest = VelloraTest;

TEST_F(SetupTest, TheFrameTheTimerTheFirstAddressAndTheFirstSearchComeBeforeTheFrameShows) {
  sockets.Host.Entries = Addresses(10, 0, 0, 11);
  Start();
  EXPECT_EQ(ws.Frame.Title, "Vellora");
  EXPECT_TRUE(!ws.Frame.CanMaximize && !ws.Frame.CanResize && ws.Frame.ShrinkToClient);
  const auto at = [&](const std::string& entry) {
    return std::find(ws.Journal.begin(), ws.Journal.end(), entry);
  };
  ASSERT_NE(at("ShowFrame"), ws.Journal.end());
  EXPECT_LT(at("SetFrameCaption Quenlan V1.11 18.07.2008 (IP 1: 10.0.0.1 )"),
            at("Send 10 bytes to 255.255.255.255:8003"));
  EXPECT_LT(at("Send 10 bytes to 255.255.255.255:8003"), at("ShowFrame"));
  EXPECT_EQ(ws.Journal.end()[-2], "SetDialogSize 459x470");  // collapsed before it shows

  EXPECT_TRUE(PcChoice().starts_with("[1: 10.0.0.1], 2: 10.0.0.2, ")) << PcChoice();
  EXPECT_TRUE(PcChoice().ends_with(", 10: 10.0.0.10, 11: 10.0.0.11 | (IP 1: 10.0.0.1 )"));
  EXPECT_EQ(Udp().Own.GetAddress(), Ipv4(10, 0, 0, 1));
  EXPECT_TRUE(Udp().Bound && Udp().Broadcast);
  EXPECT_EQ(Tcp().Own.GetAddress(), Ipv4(10, 0, 0, 1));
  EXPECT_FALSE(Tcp().Open);  // the terminal's system socket is made at connect time
  EXPECT_EQ(ws.Timers, (std::map<unsigned, unsigned>{{2300u, 1000u}}));
  EXPECT_EQ(SentBytes(), std::vector<std::vector<std::uint8_t>>{AsVector(BuildSearchRequest())});
  EXPECT_EQ(Udp().Sent[0].Peer, TINetSocketAddress(8003, Ipv4(255, 255, 255, 255)));
  EXPECT_TRUE(ws.Boxes.empty());
  // The idle state is not entered at start: no log line, no idle caption.
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(ws.DialogCaption, "Vellora");
}

// Without the socket layer the box comes before any window, and the window still opens with
// every socket operation saying that it failed; without a timer the caption-only box, and set-up
// goes on.
TEST_F(SetupTest, WithoutSocketLayerOrTimerABoxSaysSoAndSetUpGoesOn) {
  sockets.Available = false;
  Start();
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text + "|" + ws.Boxes[0].Caption, "Keine Sockets verfuegbar|Fehler");
  EXPECT_FALSE(ws.Boxes[0].OwnedByDialog);
  EXPECT_EQ(ws.Journal.front(), "MessageBox Fehler");
  EXPECT_TRUE(ws.Shown);
  EXPECT_EQ(DebugLines().front(), "Vellora: UDP Error on CreateSocket()");
  EXPECT_FALSE(Udp().Open);

  sockets.Available = true;
  ws.FailSetTimer = true;
  Start();
  ASSERT_EQ(ws.Boxes.size(), 2u);
  EXPECT_EQ(ws.Boxes[1].Text + "|" + ws.Boxes[1].Caption,
            "|Kein Timer f\xFCr Refresh des Socket-Dialogs verf\xFCgbar!");
  EXPECT_TRUE(Udp().Open && Udp().Sent.size() == 1u);
}

TEST_F(SetupTest, WithoutAnyAddressThereIsNoSocketUntilTheFirstAddressComes) {
  for (bool lookupFails : {false, true}) {
    MemoryWindowSystem windows;
    MemorySocketLayer layer;
    layer.AddressesUnreadable = lookupFails;
    TSocketViewApp application("Vellora", windows, layer);
    application.InitMainWindow();
    EXPECT_EQ(layer.LastDatagramSocket(), nullptr);
    // The banner caption from the first paint, with no address after it.
    EXPECT_EQ(PcChoice(windows), " |");
    EXPECT_EQ(windows.Lines(IdDebugList),
              Texts{"Vellora: No IPv4 address found on this PC, no search possible"});
    windows.Click(IdSearchButton);  // a command that would send says so and sends nothing
    EXPECT_EQ(windows.Lines(IdDebugList).back(), "Vellora: No PC address chosen, nothing sent");
    EXPECT_TRUE(layer.AllSent().empty());
    EXPECT_TRUE(windows.Shown);
    // The first address that comes is chosen, and searched from.
    layer.AddressesUnreadable = false;
    layer.ChangeAddresses({OnInterface(10, 1, 2, 3, 2, "eth0")});
    EXPECT_EQ(PcChoice(windows), "[1: 10.1.2.3] | (IP 1: 10.1.2.3 )");
    ASSERT_EQ(layer.AllSent().size(), 1u);
    EXPECT_EQ(layer.AllSent()[0].Bytes, AsVector(BuildSearchRequest()));
    EXPECT_EQ(layer.LastDatagramSocket()->Own.GetAddress(), Ipv4(10, 1, 2, 3));
  }
}

TEST_F(SetupTest, ExpandAndCollapseSwitchTheFormsAndKeepEverythingElse) {
  Start();
  Reply(RecordWithMac(0x01));
  ExpectForm(false);
  EXPECT_TRUE(ws.Get(IdGatewayCombo).Enabled && ws.Get(IdSearchButton).Enabled);
  EXPECT_TRUE(ws.Get(IdExpandButton).Visible && ws.Get(IdExpandButton).Enabled);
  const auto form = [this] {
    std::vector<int> state{ws.DialogWidth, ws.DialogHeight};
    for (const DialogControl& c : MainDialogTemplate().Controls)
      if (c.Id >= 0) state.insert(state.end(), {ws.Get(c.Id).Visible, ws.Get(c.Id).Enabled});
    return std::make_pair(state, Text(IdExpandButton));
  };
  const auto collapsed = form();
  ws.Click(IdExpandButton);
  EXPECT_EQ(ws.Journal.back(), "SetDialogSize 459x756");
  ExpectForm(true);
  const auto expanded = form();
  for (const auto& expected : {collapsed, expanded, collapsed}) {
    ws.Click(IdExpandButton);
    EXPECT_EQ(form(), expected);
  }

  // Collapsing keeps the fields' texts and an open connection.
  ws.Click(IdExpandButton);
  ws.Type(IdServerEdit, "abc");
  ws.Click(IdConnectButton);
  sockets.AcceptConnect(Tcp());
  ws.Click(IdExpandButton);
  EXPECT_EQ(Text(IdStateText), "State: Connected");
  EXPECT_EQ(Text(IdConnectButton), "Disconnect");
  EXPECT_EQ(Text(IdServerEdit), "abc");
  // Minimised, the toggle changes nothing.
  ws.Iconic = true;
  ws.Click(IdExpandButton);
  EXPECT_EQ(ws.DialogHeight, 470);
  EXPECT_EQ(Text(IdExpandButton), ">>");
}

TEST_F(SetupTest, RunReturnsTheLoopsExitCodeAndReleasesTheDialog) {
  TSocketViewApp application("Vellora", ws, sockets);
  EXPECT_EQ(application.Run(), 0);
  EXPECT_EQ(application.MainDialog(), nullptr);
  // The dialog's destructor closed the UDP socket.
  EXPECT_FALSE(sockets.LastDatagramSocket()->Open);
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
}

// A filter takes only its characters, each standing for itself (no ranges); a range validator
// takes digits while typing and checks the bounds on the whole field, without overflowing back
// into range. What the edits take as keys is tested on the real window (keyboard_test.cpp).
TEST(Validators, AFilterHasNoRangesAndARangeCannotOverflowBackIntoRange) {
  const TFilterValidator rangeLooking(TCharSet("a-c"));
  EXPECT_FALSE(rangeLooking.IsValidInput("b"));
  EXPECT_TRUE(rangeLooking.IsValidInput("-ac"));
  const TRangeValidator port(0, 65535);
  EXPECT_TRUE(port.IsValidInput("99999") && port.IsValid("65535") && port.IsValid(""));
  EXPECT_FALSE(port.IsValid("65536") || port.IsValid("99999999999999999999"));
  EXPECT_FALSE(port.IsValidInput("-1") || port.IsValidInput("+1"));
}

// The frame closes only with every range field in range; display-only edits take no input
// or focus.
TEST_F(SetupTest, TheFrameClosesOnlyWithEveryRangeFieldInRange) {
  Start();
  for (int id : {11234, 11233, 11232, 11231, 11257, 11256, 11255, 11254}) {
    EXPECT_EQ(ws.Type(id, "1"), 0) << id;
    ws.SetFocus(id);
    EXPECT_NE(ws.FocusId, id);
  }
  Set(11221, "300");
  EXPECT_FALSE(ws.CloseFrame());
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "Value is not in the range 0 to 255.");
  EXPECT_EQ(ws.FocusId, 11221);
  Set(11221, "30");
  EXPECT_TRUE(ws.CloseFrame());
}

}  // namespace
