// The installed program's command line, end to end: the real binary in the PC namespace,
// offscreen, started the way an operator starts it.
#include <signal.h>

#include "tests/e2e/program_lab.h"

namespace {

using ProgramStartTest = ProgramLab;

// With Qt's own options among the program's, as a desktop's menu entry or a user may add them;
// an address the PC does not have ends the start before anything is sent.
TEST_F(ProgramStartTest, InterfaceAndLogChooseTheSourceAndKeepEveryRequest) {
  StartSimulatorA();
  StartSimulatorB();
  const ChildResult refused =
      RunChild(Pc, {VELLORA_PATH, "--address", "10.88.9.9"}, {"QT_QPA_PLATFORM=offscreen"}, 10000);
  EXPECT_TRUE(Ended(refused, 2, "10.88.9.9"));
  EXPECT_NE(refused.Err.find("10.88.1.1"), std::string::npos) << refused.Err;

  const std::string log = Folder / "line.log";
  ChildProcess program(Pc,
                       {VELLORA_PATH, "-style", "Fusion", "--interface", "pb", "-reverse", "--log",
                        log, "-platform", "offscreen", "--expanded"},
                       {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest", "from=10.88.2.1:"}, 10000).empty());
  // The record holds the request before it leaves.
  EXPECT_NE(ReadFileBytes(log).find(" request from=10.88.2.1 interface=pb command=SearchRequest"),
            std::string::npos)
      << ReadFileBytes(log);
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Finish(10000).Err.find("Unknown option"), std::string::npos) << program.Err();
  EXPECT_EQ(HeardBefore(*SimA, "pa", "10.88.1.100"), std::vector<std::string>{});
}

}  // namespace
