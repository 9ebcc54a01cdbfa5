// The terminal end to end: the program connects to a simulated module's port 80 in the other
// namespace, lists its lines and counts them on its real one-second timer. (The label check
// on the real window: tests/widgets/program_window_test.cpp.)
#include <algorithm>

#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

using Texts = std::vector<std::string>;

using ProgramTerminalTest = ProgramLab;

// (A module that closes the connection or refuses it: tests/unit/tcp_connection_test.cpp on the
// program's side, tests/net/posix_sockets_test.cpp for the socket's numbers.)
TEST_F(ProgramTerminalTest, ConnectsListsTheModulesLinesCountsThemAndDisconnects) {
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
