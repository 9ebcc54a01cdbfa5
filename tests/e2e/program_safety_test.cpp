// What keeps a production line safe on a real network, end to end: a request leaves from the
// PC address the operator sees chosen, and an empty field or a used-up serial number sends
// nothing. (A search that a firewall silences: guide_firewall_test.cpp.)
#include <QApplication>
#include <QtTest/QTest>

#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

using ProgramSafetyTest = ProgramLab;
using Texts = std::vector<std::string>;

int EntryShowing(const Texts& entries, const std::string& address) {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].ends_with(": " + address)) return static_cast<int>(i);
  return -1;
}

TEST_F(ProgramSafetyTest, AChoiceUsesTheAddressItsEntryShowsWhileTheAddressesChange) {
  StartSimulatorA();
  StartSimulatorB();
  StartProgram();
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());
  const std::string pc = "ip -n " + Pc + " addr ";
  Restore restore{
      {pc + "del 10.88.1.7/24 dev pa", pc + "add 10.88.1.2/24 brd + dev pa label pa:2"}};

  // An address comes on the earlier interface: the list follows it by itself, and the entry
  // of the other interface still means that interface.
  ASSERT_TRUE(Shell(pc + "add 10.88.1.7/24 brd + dev pa"));
  ASSERT_TRUE(Until([&] { return Program->Combo(IdPcIpCombo).size() == 4; }));
  EXPECT_EQ(Program->Combo(IdPcIpCombo),
            (Texts{"1: 10.88.1.1", "2: 10.88.1.2", "3: 10.88.1.7", "4: 10.88.2.1"}));
  Program->Pick(IdPcIpCombo, EntryShowing(Program->Combo(IdPcIpCombo), "10.88.2.1"));
  const std::string search = Received(*SimB, "SearchRequest");
  EXPECT_EQ(Field(search, "from").rfind("10.88.2.1:", 0), 0u) << search;
  EXPECT_EQ(Program->Frame()->windowTitle().toStdString(),
            "Quenlan V1.11 18.07.2008 (IP 4: 10.88.2.1 )");
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));

  // An earlier address goes: the list renumbers, and a choice binds to what it shows.
  ASSERT_TRUE(Shell(pc + "del 10.88.1.2/24 dev pa"));
  ASSERT_TRUE(Until([&] { return Program->Combo(IdPcIpCombo).size() == 3; }));
  EXPECT_EQ(Program->Text(IdPcIpCombo), "3: 10.88.2.1");
  Program->Pick(IdPcIpCombo, EntryShowing(Program->Combo(IdPcIpCombo), "10.88.1.7"));
  EXPECT_EQ(Field(Received(*SimA, "SearchRequest"), "from").rfind("10.88.1.7:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));

  // The chosen address goes: nothing stays bound to it, and nothing of its network is shown.
  ASSERT_TRUE(Shell(pc + "del 10.88.1.7/24 dev pa"));
  ASSERT_TRUE(Until(
      [&] { return Program->Contains("Vellora: The chosen PC address is no longer available"); }));
  EXPECT_TRUE(Program->Combo(IdGatewayCombo).empty());
  EXPECT_EQ(Program->Text(IdGatewayCount), "0");
  EXPECT_EQ(Program->Text(IdNameEdit), "");
  EXPECT_EQ(Program->Frame()->windowTitle().toStdString(), "Quenlan V1.11 18.07.2008");
  Program->Click(IdRebootButton);
  EXPECT_EQ(HeardBefore(*SimA, "pa", "10.88.1.100"), Texts{});
}

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

TEST_F(ProgramSafetyTest, EmptyFieldsAndAUsedUpSerialNumberSendNothing) {
  ASSERT_NO_FATAL_FAILURE(StartWithModules());
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());

  // As the window opens, Shift+Tab from the PC address list reaches "Set EEPROM value" below
  // the collapsed window, and Space presses it: with both EEPROM fields empty nothing leaves.
  Program->Widget(IdPcIpCombo)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Program->Widget(IdPcIpCombo), Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_EQ(QApplication::focusWidget(), Program->Widget(IdSetEepromButton));
  QTest::keyClick(Program->Widget(IdSetEepromButton), Qt::Key_Space);
  EXPECT_TRUE(Program->Contains("Vellora: Set EEPROM value not sent, EEPROM address is empty"));
  EXPECT_EQ(HeardBefore(*SimA, "pa", "10.88.1.100"), Texts{});

  // The last serial number goes out once; the next press is refused, not repeated.
  Program->Click(IdExpandButton);
  const char* serial[4] = {"16", "77", "72", "15"};
  for (int i = 0; i < 4; ++i)
    Program->Replace(kSerialEditIds[i], serial[i]);
  Program->Click(IdSetIncrButton);
  const std::string first = Received(*SimA, "SetMacRequest");
  EXPECT_EQ(Field(first, "hex").substr(20), "020000ffffff") << first;
  EXPECT_EQ(Program->Text(kSerialEditIds[3]), "16");
  Program->Click(IdSetIncrButton);
  EXPECT_TRUE(Program->Contains(
      "Vellora: Set & Incr. not sent, serial number 16777216 is above the largest, 16777215 "
      "(FF FF FF)"));
  EXPECT_EQ(HeardBefore(*SimA, "pa", "10.88.1.100"), Texts{});
}

}  // namespace
