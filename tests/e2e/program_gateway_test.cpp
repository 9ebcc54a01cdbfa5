// Discovery and the terminal end to end: the program in its namespace, the simulated modules in
// theirs. (Every command byte for byte where it arrives, from the window and from vellora-cli:
// cli_test.cpp.)
#include <signal.h>

#include <algorithm>

#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

using ProgramGatewayTest = ProgramLab;
using Texts = std::vector<std::string>;

// The search leaves from the address chosen, out of its interface only, and only the replies
// that come in on that interface are listed, however they are addressed.
TEST_F(ProgramGatewayTest, SearchesFromTheChosenAddressAndHearsOnlyItsInterface) {
  StartSimulatorA({"--reply", "broadcast"});
  StartSimulatorB({"--reply", "broadcast"});
  StartProgram();
  EXPECT_EQ(Program->Combo(IdPcIpCombo), (Texts{"1: 10.88.1.1", "2: 10.88.1.2", "3: 10.88.2.1"}));
  const std::string search = Received(*SimA, "SearchRequest");
  EXPECT_EQ(Field(search, "hex"), Hex(BuildSearchRequest()));
  EXPECT_EQ(Field(search, "from").rfind("10.88.1.1:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo),
            (Texts{"02 00 00 00 00 01", "02 00 00 00 00 02", "02 00 00 00 00 03"}));
  EXPECT_EQ(Program->Text(IdGatewayCount), "3");
  EXPECT_EQ(Program->Text(IdNameEdit), "sim-gw-1");
  EXPECT_EQ(Program->Text(11231), "50");
  EXPECT_EQ(HeardBefore(*SimB, "pb", "10.88.2.100"), Texts{});

  // A secondary address is the source when it is chosen.
  Program->Pick(IdPcIpCombo, 1);
  EXPECT_EQ(Program->Frame()->windowTitle().toStdString(),
            "Quenlan V1.11 18.07.2008 (IP 2: 10.88.1.2 )");
  EXPECT_EQ(Field(Received(*SimA, "SearchRequest"), "from").rfind("10.88.1.2:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));

  Program->Pick(IdPcIpCombo, 2);
  const std::string fromB = Received(*SimB, "SearchRequest");
  EXPECT_EQ(Field(fromB, "from").rfind("10.88.2.1:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo), Texts{"02 00 00 00 20 01"});

  // Replies played by the test, which the simulators leave port 8003 to: the one that comes in
  // on the other interface, sent first, is never listed; the limited broadcast and the
  // subnet's own broadcast address on the chosen interface are.
  SimA->Stop(SIGTERM);
  SimB->Stop(SIGTERM);
  GatewayRecord stranger = ModuleOne();
  const auto reply = [&](const std::string& netns, const char* device, const char* from,
                         std::uint8_t last, const char* to) {
    stranger.Mac[5] = last;
    SendReply(netns, device, from, FromPort(fromB), stranger, to);
  };
  reply(GwA, "ga", "10.88.1.100", 0x76, "255.255.255.255");
  reply(GwB, "gb", "10.88.2.100", 0x77, "255.255.255.255");
  reply(GwB, "gb", "10.88.2.100", 0x78, "10.88.2.255");
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() >= 3; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo),
            (Texts{"02 00 00 00 20 01", "02 00 00 00 00 77", "02 00 00 00 00 78"}));
}

// The terminal: the program connects to a module's port 80 in the other namespace, lists its
// lines and counts them on its real one-second timer.
// (A module that closes the connection or refuses it: tests/unit/tcp_connection_test.cpp on the
// program's side, tests/net/posix_sockets_test.cpp for the socket's numbers.)
TEST_F(ProgramGatewayTest, ConnectsListsTheModulesLinesCountsThemAndDisconnects) {
  ASSERT_NO_FATAL_FAILURE(StartWithModules({"--tcp-mode", "status", "--interval-ms", "50"}));
  Program->Click(IdExpandButton);
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Until([&] { return Program->Contains("Vellora: Socket connected"); }));
  EXPECT_EQ(Program->Text(IdStateText), "State: Connected");
  EXPECT_EQ(Program->Text(IdConnectButton), "Disconnect");
  EXPECT_EQ(Program->Windows().DialogWidget()->windowTitle().toStdString(),
            "Quenlan V1.11 18.07.2008 (IP 1: 10.88.1.1 ) verbunden mit 10.88.1.50");
  EXPECT_FALSE(Program->Widget(IdSearchButton)->isEnabled());
  EXPECT_FALSE(Program->Widget(IdGatewayCombo)->isEnabled());
  EXPECT_FALSE(SimA->TakeLine("tcp-open", {"from=10.88.1.1:"}, 3000).empty());
  ASSERT_TRUE(Until([&] {
    const auto lines = Program->DebugLines();
    return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
             return line.starts_with("sim-gw-1 (02 00 00 00 00 01) status line 3,");
           }) == 1;
  }));
  // The statistics tick once a second on the real timer.
  ASSERT_TRUE(Until([&] {
    const std::string total = Program->Text(IdReceiveTotal);
    return total != "Gesamt" && total != "0";
  }));
  EXPECT_EQ(Program->Text(IdSendTotal), "0");
  EXPECT_TRUE(Program->Screenshot(VELLORA_SCREENSHOT_DIR "/terminal-connected.png"));
  Texts own;  // the program's own debug lines, without the terminal's text
  for (const auto& line : Program->DebugLines())
    if (line.starts_with("Vellora: ")) own.push_back(line);
  EXPECT_EQ(own, (Texts{"Vellora: Socket connecting ...", "Vellora: Socket connected"}));

  // Disconnect ends the connection at once.
  Program->Click(IdConnectButton);
  EXPECT_EQ(Program->Text(IdStateText), "State: Idle");
  EXPECT_EQ(Program->DebugLines().back(), "Vellora: Socket disconnected");
  std::string closed;
  ASSERT_TRUE(Until([&] { return !(closed = SimA->TakeLine("tcp-close", {}, 0)).empty(); }));
  EXPECT_EQ(Field(closed, "reason"), "peer");
}

}  // namespace
