// The terminal's connection: states, texts, log lines and the notifications that drive it.
#include "tests/support/vellora_fixture.h"

namespace {

class TcpConnectionTest : public VelloraTest {
 protected:
  void SetUp() override {
    StartWithModule(false);
    ws.Click(IdClearListButton);
  }
  void Connect() { ws.Click(IdConnectButton); }
  void Connected() {
    Connect();
    sockets.AcceptConnect(Tcp());
  }
  void ExpectIdle() {
    EXPECT_EQ(TextsOf({IdStateText, IdConnectButton}), (Texts{"State: Idle", "Connect"}));
    EXPECT_EQ(ws.DialogCaption, "Quenlan V1.11 18.07.2008 (IP 1: 192.168.1.20 ) nicht verbunden");
    EXPECT_TRUE(!Tcp().Open && ws.Get(IdSearchButton).Enabled);
  }
  std::vector<std::string> Last(std::size_t n) const {
    const auto& l = DebugLines();
    return std::vector<std::string>(l.end() - static_cast<long>(std::min(n, l.size())), l.end());
  }
};

TEST_F(TcpConnectionTest, ConnectsFromThePcAddressToTheGatewaysCurrentAddressOnPort80) {
  Connect();
  EXPECT_EQ(TextsOf({IdStateText, IdConnectButton}), (Texts{"State: connecting...", "Cancel"}));
  EXPECT_TRUE(Tcp().Bound && Tcp().Notifying);
  EXPECT_EQ(Tcp().Own, TINetSocketAddress(0, Ipv4(192, 168, 1, 20)));
  EXPECT_EQ(Tcp().InterfaceName, "eth0");
  EXPECT_EQ(Tcp().Peer, TINetSocketAddress(80, Ipv4(192, 168, 1, 50)));
  EXPECT_TRUE(ws.Get(IdGatewayCombo).Enabled);

  sockets.AcceptConnect(Tcp());
  EXPECT_EQ(TextsOf({IdStateText, IdConnectButton}), (Texts{"State: Connected", "Disconnect"}));
  EXPECT_EQ(ws.DialogCaption,
            "Quenlan V1.11 18.07.2008 (IP 1: 192.168.1.20 ) verbunden mit 192.168.1.50");
  EXPECT_FALSE(ws.Get(IdGatewayCombo).Enabled || ws.Get(IdSearchButton).Enabled);
  EXPECT_EQ(DebugLines(), (Texts{"Vellora: Socket connecting ...", "Vellora: Socket connected"}));
}

TEST_F(TcpConnectionTest, EveryFailureLeavesItsLineThenTheDisconnectLine) {
  struct Case {
    std::function<void(MemorySocketLayer::SocketState&)> Arrange;
    int ConnectError;  // the connect's outcome after the click, 0 for none
    std::string Line;
  };
  const std::vector<Case> cases = {
      {nullptr, 10061, "Vellora: TCP/IP Error while connecting (Winsock:10061)"},
      {[](auto& s) { s.CreateError = 10024; }, 0,
       "Vellora: TCP/IP Error creating socket (Winsock:10024)"},
      {[](auto& s) { s.BindError = 10049; }, 0,
       "Vellora: TCP/IP Error on socket Bind (Winsock:10049)"},
      {[](auto& s) { s.ConnectError = 10051; }, 0,
       "Vellora: TCP/IP Error while connecting (Winsock:10051)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    Tcp().CreateError = Tcp().BindError = 0;
    Tcp().ConnectError = wsa::EWOULDBLOCK_;
    if (c.Arrange) c.Arrange(Tcp());
    Connect();
    if (c.ConnectError != 0) sockets.TellConnected(Tcp(), c.ConnectError);
    EXPECT_EQ(Last(2), (Texts{c.Line, "Vellora: Socket disconnected"}));
    ExpectIdle();
  }
}

// Cancel and Disconnect return to idle at once without an error line, and Connect without a
// selected module is refused. A close ends any state, logged each time; a module that loses
// power or its cable sends nothing more, and the connection gives it up with a timeout instead
// of waiting for ever. A connect outcome outside connecting changes nothing.
TEST_F(TcpConnectionTest, CancelDisconnectAndCloseEndAnyStateAndOnlyACloseWithAnErrorSaysIt) {
  sockets.TellConnected(Tcp(), 0);
  EXPECT_TRUE(DebugLines().empty());
  Connected();
  sockets.TellConnected(Tcp(), 10061);
  EXPECT_EQ(Text(IdStateText), "State: Connected");
  sockets.TellClosed(Tcp(), 0);
  ExpectIdle();
  EXPECT_EQ(Last(1), Texts{"Vellora: Socket disconnected"});
  sockets.TellClosed(Tcp(), 0);
  EXPECT_EQ(Last(2), (Texts{"Vellora: Socket disconnected", "Vellora: Socket disconnected"}));
  for (int error : {10054, 10060}) {
    Connected();
    EXPECT_EQ(Tcp().DeadPeerSeconds, 20);
    sockets.TellClosed(Tcp(), error);
    EXPECT_EQ(Last(2),
              (Texts{"Vellora: TCP/IP Error closing socket (Winsock:" + std::to_string(error) + ")",
                     "Vellora: Socket disconnected"}));
    ExpectIdle();
  }
  Connect();
  Connect();
  EXPECT_EQ(Last(1), Texts{"Vellora: Socket disconnected"});
  ExpectIdle();
  sockets.TellConnected(Tcp(), 0);  // a late outcome of the abandoned connect
  EXPECT_EQ(Text(IdStateText), "State: Idle");
  Connected();
  Connect();
  EXPECT_EQ(Tcp().ShutDowns, std::vector<int>{2});
  ExpectIdle();
  // Without a selected module Connect is refused and stays idle.
  ws.Click(IdSearchButton);
  ws.Click(IdClearListButton);
  const int creates = Tcp().Creates;
  Connect();
  EXPECT_EQ(DebugLines(), Texts{"Vellora: No module selected, cannot connect"});
  EXPECT_EQ(TextsOf({IdStateText, IdConnectButton}), (Texts{"State: Idle", "Connect"}));
  EXPECT_EQ(Tcp().Creates, creates);
}

TEST_F(TcpConnectionTest, ChoosingAnotherPcAddressEndsTheConnectionFirst) {
  Connected();
  auto* old = &Tcp();
  ws.PickComboEntry(IdPcIpCombo, 1);
  EXPECT_EQ(old->ShutDowns, std::vector<int>{2});
  EXPECT_TRUE(old->Released && !old->Open);
  EXPECT_EQ(Text(IdStateText), "State: Idle");
  EXPECT_TRUE(ws.Get(IdSearchButton).Enabled);
  EXPECT_EQ(Tcp().Own.GetAddress(), Ipv4(10, 0, 0, 7));

  ws.Click(IdClearListButton);  // idle, a new choice leaves the state alone and logs nothing
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_TRUE(DebugLines().empty());
}

}  // namespace
