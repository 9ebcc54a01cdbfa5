// The terminal's receive path: reads cut into CR-terminated lines in the debug list.
#include "tests/support/vellora_fixture.h"

namespace {

class ReceivePathTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    GatewayRecord r = Gateway(0x01);
    r.ActualIp = 0xC0A80132;
    Reply(r);
    ws.Click(IdExpandButton);
    ws.Click(IdConnectButton);
    sockets.AcceptConnect(Tcp());
    ws.Click(IdClearListButton);
    dlg->CmClearStats();
  }
  // Sends bytes as one read; yields what the terminal listed.
  std::vector<std::string> Receive(const std::string& bytes) {
    sockets.DeliverStream(Tcp(), bytes);
    const std::vector<std::string> lines = DebugLines();
    ws.Click(IdClearListButton);
    return lines;
  }
};

TEST_F(ReceivePathTest, CrEndsALineAndLfIsDropped) {
  EXPECT_EQ(Receive("abc\r\ndef\r\n"), (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(dlg->BytesReceived, 10u);
  EXPECT_EQ(Receive("abc\r\r"), (std::vector<std::string>{"abc", ""}));
  EXPECT_TRUE(Receive("one\ntwo\n").empty());
  EXPECT_EQ(Receive("\r"), std::vector<std::string>{"onetwo"});
}

TEST_F(ReceivePathTest, APartialLineContinuesInTheNextRead) {
  EXPECT_TRUE(Receive("ab").empty());
  EXPECT_EQ(Receive("c\rd"), std::vector<std::string>{"abc"});
  EXPECT_EQ(Receive("\r"), std::vector<std::string>{"d"});
}

TEST_F(ReceivePathTest, OverLongLinesKeepTheir298FirstCharacters) {
  std::string line;
  for (int i = 0; i < 400; ++i)
    line += static_cast<char>('a' + i % 26);
  const auto lines = Receive(line + "\r");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], line.substr(0, 298));
  EXPECT_EQ(Receive("next\r"), std::vector<std::string>{"next"});
}

TEST_F(ReceivePathTest, LinesAreListedByteForByte) {
  EXPECT_EQ(Receive(std::string("ab\0cd\r", 6)), std::vector<std::string>{"ab"});
  EXPECT_EQ(Receive("\x01\xE4\xFF<b>\t\r"), std::vector<std::string>{"\x01\xE4\xFF<b>\t"});
}

TEST_F(ReceivePathTest, OneReadTakesAtMost2047Bytes) {
  sockets.DeliverStream(Tcp(), std::string(5000, 'x') + "\r");
  EXPECT_EQ(dlg->BytesReceived, 2047u);
  sockets.Notify(Tcp(), FD_READ);
  sockets.Notify(Tcp(), FD_READ);
  EXPECT_EQ(dlg->BytesReceived, 5001u);
  EXPECT_EQ(DebugLines().back(), std::string(298, 'x'));
}

// Every read notification tries the datagram first; with none waiting that is no error, so a
// flood of terminal data does not push the module's lines out with "would block".
TEST_F(ReceivePathTest, TheDatagramReadComesFirstAndFindingNoneIsNoError) {
  Udp().Incoming.push_back({AsVector(BuildGatewayInfoReply(Gateway(0x02))),
                            TINetSocketAddress(TWinSockDll::htons(8003), 0)});
  sockets.DeliverStream(Tcp(), "hello\r");
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 2u);
  sockets.DeliverStream(Tcp(), "again\r");
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"hello", "again"}));
}

TEST_F(ReceivePathTest, ClearKeepsThePartialLineButAnyReturnToIdleDropsIt) {
  Receive("abc");
  ws.Click(IdClearListButton);
  EXPECT_EQ(Receive("\r"), std::vector<std::string>{"abc"});

  Receive("lost");
  ws.Click(IdConnectButton);  // disconnect
  ws.Click(IdConnectButton);
  sockets.AcceptConnect(Tcp());
  ws.Click(IdClearListButton);
  EXPECT_EQ(Receive("\r"), std::vector<std::string>{""});
  Receive("gone");
  sockets.Notify(Tcp(), FD_CLOSE);
  EXPECT_EQ(dlg->ReceiveLineLength, 0);
}

}  // namespace
