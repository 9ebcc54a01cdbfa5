// A PC without an address at start, end to end: the program takes the first address the system
// announces. (A choice that follows the address lists as they change: one_wire_test.cpp; a
// search that a firewall silences: guide_firewall_test.cpp.)
#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

using ProgramSafetyTest = ProgramLab;
using Texts = std::vector<std::string>;

TEST_F(ProgramSafetyTest, APcWithoutAnAddressAtStartTakesTheFirstThatComes) {
  NamespaceLab lab;
  const std::string pc = lab.Add("venp-"), gw = lab.Add("veng-");
  lab.Link(pc, "np", gw, "ng");
  lab.Address(gw, "ng", "10.88.5.100/24");
  lab.Address(gw, "ng", "10.88.5.50/24", false);
  ASSERT_TRUE(lab.Ready());
  SimA = std::make_unique<SimProcess>(gw, Texts{"--interface", "ng", "--ip-base", "10.88.5.50"});
  ASSERT_TRUE(SimA->Ready());
  StartProgram(pc);
  EXPECT_TRUE(Program->Combo(IdPcIpCombo).empty());
  EXPECT_EQ(Program->Frame()->windowTitle().toStdString(), "Quenlan V1.11 18.07.2008");

  ASSERT_TRUE(Shell("ip -n " + pc + " addr add 10.88.5.1/24 dev np"));
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  EXPECT_EQ(Program->Combo(IdPcIpCombo), Texts{"1: 10.88.5.1"});
  EXPECT_EQ(Field(Received(*SimA, "SearchRequest"), "from").rfind("10.88.5.1:", 0), 0u);
  EndProgram();  // before its namespace goes
}

}  // namespace
