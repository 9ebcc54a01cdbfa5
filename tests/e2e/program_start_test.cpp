// The installed program's command line, end to end: the real binary in the PC namespace,
// offscreen, started the way an operator starts it.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/program_lab.h"
#include "tests/support/child_run.h"

namespace {

class ProgramStartTest : public ProgramLab {
 protected:
  // Runs the program for `ms`, then ends it, as an operator closing the window would.
  ChildResult RunFor(std::vector<std::string> args, int ms) {
    args.insert(args.begin(), VELLORA_PATH);
    return RunChild(Pc, args, {"QT_QPA_PLATFORM=offscreen"}, ms);
  }
};

// With Qt's own options among the program's, as a desktop's menu entry or a user may add them.
TEST_F(ProgramStartTest, InterfaceAndLogChooseTheSourceAndKeepEveryRequest) {
  StartSimulatorA();
  StartSimulatorB();
  char name[] = "/tmp/vellora-start-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  const std::string log = std::string(name) + "/line.log";
  const ChildResult run = RunFor({"-style", "Fusion", "--interface", "pb", "-reverse", "--log", log,
                                  "-platform", "offscreen", "--expanded"},
                                 2500);
  EXPECT_EQ(run.Err.find("Unknown option"), std::string::npos) << run.Err;

  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest", "from=10.88.2.1:"}).empty());
  EXPECT_TRUE(SimA->TakeLine("rx", {}, 200).empty()) << "the other interface was searched";
  std::stringstream text;
  text << std::ifstream(log).rdbuf();
  EXPECT_NE(text.str().find(" request from=10.88.2.1 interface=pb command=SearchRequest"),
            std::string::npos)
      << text.str();
  std::error_code ignored;
  std::filesystem::remove_all(name, ignored);
}

TEST_F(ProgramStartTest, AnAddressThePcDoesNotHaveEndsTheStartBeforeAnythingIsSent) {
  StartSimulatorA();
  const ChildResult run = RunFor({"--address", "10.88.9.9"}, 10000);
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Err.find("10.88.9.9"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("10.88.1.1"), std::string::npos) << run.Err;
  EXPECT_TRUE(SimA->TakeLine("rx", {}, 300).empty());
}

}  // namespace
