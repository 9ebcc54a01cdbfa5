// The terminal and the label check, end to end: the program connects to a simulated module's
// port 80 in the other namespace, lists its lines and counts them; the label check runs on
// the program's real one-second timer.
#include <algorithm>

#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

class ProgramTerminalTest : public ProgramLab {
 protected:
  void StartExpanded(const std::vector<std::string>& simulatorOptions) {
    ASSERT_NO_FATAL_FAILURE(StartWithModules(simulatorOptions));
    Program->Click(IdExpandButton);
  }
  bool Listed(const std::string& line, int boundMs = 10000) {
    return Until([&] { return Program->Contains(line); }, boundMs);
  }
  // The program's own debug lines, without the terminal's text.
  std::vector<std::string> OwnLines() {
    std::vector<std::string> own;
    for (const auto& line : Program->DebugLines()) {
      if (line.rfind("Vellora: ", 0) == 0) own.push_back(line);
    }
    return own;
  }
};

TEST_F(ProgramTerminalTest, ConnectsListsTheModulesLinesAndCountsThem) {
  StartExpanded({"--tcp-mode", "status", "--interval-ms", "50"});
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Listed("Vellora: Socket connected"));
  EXPECT_EQ(Program->Text(IdStateText), "State: Connected");
  EXPECT_EQ(Program->Text(IdConnectButton), "Disconnect");
  EXPECT_EQ(Program->Windows().DialogWidget()->windowTitle().toStdString(),
            "Quenlan V1.11 18.07.2008 (IP 1: 10.88.1.1 ) verbunden mit 10.88.1.50");
  EXPECT_FALSE(Program->Widget(IdSearchButton)->isEnabled());
  EXPECT_FALSE(Program->Widget(IdGatewayCombo)->isEnabled());
  const std::string open = SimA->TakeLine("tcp-open", {"from=10.88.1.1:"}, 3000);
  EXPECT_FALSE(open.empty());

  ASSERT_TRUE(Until([&] {
    const auto lines = Program->DebugLines();
    return std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
      return l.rfind("sim-gw-1 (02 00 00 00 00 01) status line 3,", 0) == 0;
    });
  }));
  // The statistics tick once a second on the real timer.
  ASSERT_TRUE(Until(
      [&] {
        const std::string total = Program->Text(IdReceiveTotal);
        return total != "Gesamt" && total != "0";
      },
      5000));
  EXPECT_EQ(Program->Text(IdSendTotal), "0");
  EXPECT_TRUE(Program->Screenshot(VELLORA_SCREENSHOT_DIR "/terminal-connected.png"));
  EXPECT_EQ(OwnLines(), (std::vector<std::string>{"Vellora: Socket connecting ...",
                                                  "Vellora: Socket connected"}));
}

TEST_F(ProgramTerminalTest, TheModuleClosingTheConnectionReturnsToIdle) {
  StartExpanded({"--tcp-mode", "close", "--close-after", "3"});
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Listed("Vellora: Socket disconnected"));
  const auto lines = Program->DebugLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("sim-gw-1 (", 0) == 0; }),
            3);
  EXPECT_EQ(OwnLines(),
            (std::vector<std::string>{"Vellora: Socket connecting ...", "Vellora: Socket connected",
                                      "Vellora: Socket disconnected"}));
  EXPECT_EQ(Program->Text(IdStateText), "State: Idle");
  EXPECT_EQ(Program->Text(IdConnectButton), "Connect");
  EXPECT_TRUE(Program->Widget(IdSearchButton)->isEnabled());
}

TEST_F(ProgramTerminalTest, ARefusedConnectionIsReportedWithItsNumber) {
  StartExpanded({"--no-tcp"});
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Listed("Vellora: Socket disconnected"));
  EXPECT_EQ(OwnLines(),
            (std::vector<std::string>{"Vellora: Socket connecting ...",
                                      "Vellora: TCP/IP Error while connecting (Winsock:10061)",
                                      "Vellora: Socket disconnected"}));
  EXPECT_EQ(Program->Text(IdConnectButton), "Connect");
}

TEST_F(ProgramTerminalTest, DisconnectEndsTheConnectionAtOnce) {
  StartExpanded({"--tcp-mode", "status", "--interval-ms", "50"});
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Listed("Vellora: Socket connected"));
  Program->Click(IdConnectButton);
  EXPECT_EQ(Program->Text(IdStateText), "State: Idle");
  EXPECT_EQ(OwnLines().back(), "Vellora: Socket disconnected");
  std::string closed;
  ASSERT_TRUE(Until([&] {
    closed = SimA->TakeLine("tcp-close", {}, 0);
    return !closed.empty();
  }));
  EXPECT_EQ(Field(closed, "reason"), "peer");
}

TEST_F(ProgramTerminalTest, TheLabelCheckComparesWithTheModuleThatAnswers) {
  StartExpanded({});
  Program->Click(IdVerifyMacCheck);
  Program->Type(IdLabelMacEdit, "020000000001");
  Program->Key(IdLabelMacEdit, Qt::Key_Return);
  ASSERT_TRUE(Until([&] { return Program->Boxes.size() == 1; }, 5000));
  EXPECT_EQ(Program->Boxes[0].Text, "MAC is OK!");
  EXPECT_EQ(Program->Boxes[0].Icon, QMessageBox::Information);
  EXPECT_FALSE(Received(*SimA, "SearchRequest").empty());
  EXPECT_EQ(Program->Text(IdLabelMacEdit), "");

  Program->Type(IdLabelMacEdit, "02000000000A");
  Program->Key(IdLabelMacEdit, Qt::Key_Return);
  ASSERT_TRUE(Until([&] { return Program->Boxes.size() == 2; }, 5000));
  EXPECT_EQ(Program->Boxes[1].Caption, "ERROR: MAC Verification");
  EXPECT_EQ(Program->Boxes[1].Icon, QMessageBox::Critical);
}

}  // namespace
