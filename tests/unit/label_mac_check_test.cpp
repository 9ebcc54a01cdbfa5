// Checking the MAC on a module's label against the MAC the module reports.
#include "gateway/label_check.h"
#include "tests/support/vellora_fixture.h"

namespace {

class LabelMacCheckTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    ws.Click(IdVerifyMacCheck);
  }
  std::size_t Searches() const {
    const auto all = SentBytes();
    return static_cast<std::size_t>(
        std::count(all.begin(), all.end(), AsVector(BuildSearchRequest())));
  }
  static GatewayRecord Module() {
    GatewayRecord r = RecordWithMac(0x5E, 0x00);
    const std::uint8_t middle[4] = {0x1A, 0x2B, 0x3C, 0x4D};
    std::memcpy(r.Mac + 1, middle, 4);
    return r;
  }
  void Label(const std::string& text) {
    ws.SetDlgItemText(IdLabelMacEdit, "");
    ws.Type(IdLabelMacEdit, text);
  }
};

TEST_F(LabelMacCheckTest, SearchesThenComparesAndClearsTheFieldForTheNext) {
  const std::vector<std::tuple<std::string, std::string, std::string, unsigned>> cases = {
      {"001A2B3C4D5E", "MAC is OK!", "MAC Verification", 64},
      {"001a2b3c4d5e", "MAC is OK!", "MAC Verification", 64},
      {"001A2B3C4D5F",
       "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' "
       "are different!\n\nPlease try again or remove module from production process!",
       "ERROR: MAC Verification", 16},
      // A label of another maker's prefix: only the first three bytes differ.
      {"011A2B3C4D5E",
       "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' "
       "are different!\n\nPlease try again or remove module from production process!",
       "ERROR: MAC Verification", 16}};
  for (const auto& [label, text, caption, type] : cases) {
    SCOPED_TRACE(label);
    ws.Boxes.clear();
    Label(label);
    const std::size_t searches = Searches();
    ws.SetFocus(IdNameEdit);
    Tick();
    EXPECT_EQ(Searches(), searches + 1);
    EXPECT_EQ(ws.FocusId, IdLabelMacEdit);  // every step takes the focus back
    Reply(Module());
    Tick();
    ASSERT_EQ(ws.Boxes.size(), 1u);
    EXPECT_EQ(ws.Boxes[0].Text, text);
    EXPECT_EQ(ws.Boxes[0].Caption, caption);
    EXPECT_EQ(ws.Boxes[0].Type, type);
    EXPECT_TRUE(ws.Boxes[0].OwnedByDialog);
    EXPECT_EQ(Text(IdLabelMacEdit), "");
    EXPECT_EQ(ws.FocusId, IdLabelMacEdit);
  }
  EXPECT_TRUE(DebugLines().empty());  // nothing logged, nothing sent to the module
}

TEST_F(LabelMacCheckTest, OnlyTwelveHexCharactersLeadToAComparison) {
  for (const char* label : {"001A2B3C4D5", "001A2B3C4D5E0"}) {
    Label(label);
    const std::size_t searches = Searches();
    Tick();
    Tick();
    EXPECT_EQ(Searches(), searches) << label;
  }
  // Twelve characters that are no MAC search every other tick.
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
  Reply(Module());
  Tick();
  EXPECT_EQ(ws.Boxes.size(), 1u);
}

TEST_F(LabelMacCheckTest, UncheckedNoStepRunsAndRecheckingComparesAtOnce) {
  Label("001A2B3C4D5E");
  Tick();
  Reply(Module());
  ws.Click(IdVerifyMacCheck);  // off
  Tick();
  const std::size_t searches = Searches();
  ws.Click(IdVerifyMacCheck);  // on again
  Tick();
  EXPECT_EQ(Searches(), searches);
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "MAC is OK!");
}

TEST_F(LabelMacCheckTest, TheSearchRunsWhileLockedAndNoTickRunsWhileTheResultIsShown) {
  Dialog().LockGatewaySelection(true);
  Label("001A2B3C4D5E");
  Tick();
  Reply(Module());
  bool timerRunningInBox = true;
  ws.OnMessageBox = [&](const MemoryWindowSystem::Box&) {
    timerRunningInBox = ws.Timers.count(2300) > 0;
    Reply(RecordWithMac(0x77));  // replies are still taken while the box is open
  };
  Tick();
  EXPECT_FALSE(timerRunningInBox);
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 2u);
  EXPECT_EQ(ws.Timers.count(2300), 1u);
}

TEST(LabelCheckTest, ALabelIsTwelveCharactersOfSixHexNumbers) {
  const MacAddress mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  EXPECT_EQ(LabelCheck::LabelMac("001a2b3C4D5e"), mac);
  EXPECT_EQ(LabelCheck::LabelMac("0 1 2 3 4 5 "), (MacAddress{0, 1, 2, 3, 4, 5}));
  for (const char* bad : {"001A2B3C4D5", "001A2B3C4D5E0", "ZZZZZZZZZZZZ", "00-1A-2B-3C-"})
    EXPECT_FALSE(LabelCheck::LabelMac(bad)) << bad;
}

}  // namespace
