// Checking the MAC on a module's label against the MAC the module reports.
#include "tests/support/vellora_fixture.h"

namespace {

constexpr const char* kMismatch =
    "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' are "
    "different!\n\nPlease try again or remove module from production process!";

class LabelMacCheckTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    ws.Click(IdVerifyMacCheck);
  }
  void Tick() { ASSERT_TRUE(ws.FireTimer(2300)); }
  std::size_t Searches() const {
    std::size_t n = 0;
    for (const auto& bytes : SentBytes())
      n += bytes == AsVector(BuildSearchRequest());
    return n;
  }
  static GatewayRecord Module() {
    GatewayRecord r = kEmptyGatewayRecord;
    const std::uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(r.Mac, mac, 6);
    return r;
  }
  void Label(const std::string& text) {
    ws.SetDlgItemText(IdLabelMacEdit, "");
    ws.Type(IdLabelMacEdit, text);
  }
};

TEST_F(LabelMacCheckTest, AMatchingLabelIsConfirmedAndTheFieldClearedForTheNext) {
  for (const char* label : {"001A2B3C4D5E", "001a2b3c4d5e"}) {
    SCOPED_TRACE(label);
    ws.Boxes.clear();
    Label(label);
    const std::size_t searches = Searches();
    Tick();
    EXPECT_EQ(Searches(), searches + 1);
    EXPECT_EQ(dlg->MacVerifyState, SearchSent);
    Reply(Module());
    Tick();
    ASSERT_EQ(ws.Boxes.size(), 1u);
    EXPECT_EQ(ws.Boxes[0].Text, "MAC is OK!");
    EXPECT_EQ(ws.Boxes[0].Caption, "MAC Verification");
    EXPECT_EQ(ws.Boxes[0].Type, 64u);
    EXPECT_TRUE(ws.Boxes[0].OwnedByDialog);
    EXPECT_EQ(Text(IdLabelMacEdit), "");
    EXPECT_EQ(ws.FocusId, IdLabelMacEdit);
    EXPECT_EQ(dlg->MacVerifyState, Idle);
  }
}

TEST_F(LabelMacCheckTest, ADifferentMacGivesTheErrorBox) {
  Label("001A2B3C4D5F");
  Tick();
  Reply(Module());
  Tick();
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, kMismatch);
  EXPECT_EQ(ws.Boxes[0].Caption, "ERROR: MAC Verification");
  EXPECT_EQ(ws.Boxes[0].Type, 16u);
  EXPECT_EQ(Text(IdLabelMacEdit), "");
  EXPECT_TRUE(DebugLines().empty());  // nothing logged, nothing sent to the module
}

TEST_F(LabelMacCheckTest, OnlyTwelveCharactersStartASearch) {
  for (const char* label : {"001A2B3C4D5", "001A2B3C4D5E0"}) {
    Label(label);
    const std::size_t searches = Searches();
    Tick();
    Tick();
    EXPECT_EQ(Searches(), searches);
    EXPECT_EQ(dlg->MacVerifyState, Idle);
    EXPECT_TRUE(ws.Boxes.empty());
  }
}

TEST_F(LabelMacCheckTest, TwelveNonHexCharactersSearchEveryOtherTick) {
  Label("ZZZZZZZZZZZZ");
  Reply(Module());
  const std::size_t searches = Searches();
  for (int i = 0; i < 4; ++i)
    Tick();
  EXPECT_EQ(Searches(), searches + 2);
  EXPECT_TRUE(ws.Boxes.empty());
}

TEST_F(LabelMacCheckTest, WithoutAnswerTheStepWaitsWithoutSearchingAgain) {
  Label("001A2B3C4D5E");
  Tick();
  const std::size_t searches = Searches();
  for (int i = 0; i < 5; ++i)
    Tick();
  EXPECT_EQ(Searches(), searches);
  EXPECT_EQ(dlg->MacVerifyState, SearchSent);
  EXPECT_TRUE(ws.Boxes.empty());
  Reply(Module());
  Tick();
  EXPECT_EQ(ws.Boxes.size(), 1u);
}

TEST_F(LabelMacCheckTest, UncheckedNoStepRunsAndRecheckingComparesAtOnce) {
  Label("001A2B3C4D5E");
  Tick();
  Reply(Module());
  ws.Click(IdVerifyMacCheck);  // off
  ws.SetFocus(IdNameEdit);
  Tick();
  Tick();
  EXPECT_EQ(dlg->MacVerifyState, SearchSent);
  EXPECT_EQ(ws.FocusId, IdNameEdit);
  const std::size_t searches = Searches();
  ws.Click(IdVerifyMacCheck);  // on again
  Tick();
  EXPECT_EQ(Searches(), searches);
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "MAC is OK!");
}

TEST_F(LabelMacCheckTest, EachStepTakesTheFocusBackToTheLabel) {
  ws.SetFocus(IdNameEdit);
  Tick();
  EXPECT_EQ(ws.FocusId, IdLabelMacEdit);
}

TEST_F(LabelMacCheckTest, TheSearchRunsWhileTheGatewayChoiceIsLocked) {
  Reply(Module());
  dlg->LockGatewaySelection(true);
  Label("001A2B3C4D5E");
  Tick();
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
}

TEST_F(LabelMacCheckTest, NoTickRunsWhileTheResultIsShown) {
  Label("001A2B3C4D5E");
  Tick();
  Reply(Module());
  bool timerRunningInBox = true;
  ws.OnMessageBox = [&](const MemoryWindowSystem::Box&) {
    timerRunningInBox = ws.Timers.count(2300) > 0;
    Reply(Gateway(0x77));  // replies are still taken while the box is open
  };
  Tick();
  EXPECT_FALSE(timerRunningInBox);
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 2u);
  EXPECT_EQ(ws.Timers.count(2300), 1u);
}

}  // namespace
