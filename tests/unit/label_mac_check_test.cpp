// Checking the MAC on a module's label against the MAC the module reports.
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
  // The module 00 1A 2B 3C 4D 5E answers.
  void Answer() {
    GatewayRecord r = RecordWithMac(0x5E, 0x00);
    const std::uint8_t middle[4] = {0x1A, 0x2B, 0x3C, 0x4D};
    std::memcpy(r.Mac + 1, middle, 4);
    Reply(r);
  }
  void Label(const std::string& text) {
    Set(IdLabelMacEdit, "");
    ws.Type(IdLabelMacEdit, text);
  }
  // Ticks `n` times; the searches they sent.
  std::size_t SearchesOfTicks(int n) {
    const std::size_t before = Searches();
    Tick(n);
    return Searches() - before;
  }
};

const std::string kMismatch =
    "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from device' are "
    "different!\n\nPlease try again or remove module from production process!";

TEST_F(LabelMacCheckTest, SearchesThenComparesAndClearsTheFieldForTheNext) {
  const struct {
    const char* Label;
    bool Same;
  } cases[] = {{"001A2B3C4D5E", true},
               {"001a2b3c4d5e", true},
               {"001A2B3C4D5F", false},
               {"011A2B3C4D5E", false}};  // another maker's prefix: only the first bytes differ
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ws.Boxes.clear();
    Label(c.Label);
    ws.SetFocus(IdNameEdit);
    EXPECT_EQ(SearchesOfTicks(1), 1u);
    EXPECT_EQ(ws.FocusId, IdLabelMacEdit);  // every step takes the focus back
    Answer();
    Tick();
    ASSERT_EQ(ws.Boxes.size(), 1u);
    EXPECT_EQ(ws.Boxes[0].Text, c.Same ? "MAC is OK!" : kMismatch);
    EXPECT_EQ(ws.Boxes[0].Type, c.Same ? 64u : 16u);
    EXPECT_TRUE(ws.Boxes[0].OwnedByDialog);
    EXPECT_TRUE(Text(IdLabelMacEdit).empty() && ws.FocusId == IdLabelMacEdit);
  }
  EXPECT_TRUE(DebugLines().empty());  // nothing logged, nothing sent to the module
}

// Only twelve characters start a step; twelve that are no MAC search every other tick and
// compare with nothing. Without an answer the step waits without searching again; unchecked no
// step runs, and checked again it compares at once.
TEST_F(LabelMacCheckTest, OnlyALabelOfTwelveHexCharactersIsComparedAndEachStepWaitsForItsEvent) {
  for (const char* label : {"001A2B3C4D5", "001A2B3C4D5E0"}) {
    Label(label);
    EXPECT_EQ(SearchesOfTicks(2), 0u) << label;
  }
  for (const char* label : {"ZZZZZZZZZZZZ", "00-1A-2B-3C-"}) {
    Label(label);
    Answer();
    EXPECT_EQ(SearchesOfTicks(4), 2u) << label;
  }
  EXPECT_TRUE(ws.Boxes.empty());

  Label("001A2B3C4D5E");
  Tick();
  EXPECT_EQ(SearchesOfTicks(5), 0u);
  Answer();
  ws.Click(IdVerifyMacCheck);  // off
  EXPECT_EQ(SearchesOfTicks(1), 0u);
  EXPECT_TRUE(ws.Boxes.empty());
  ws.Click(IdVerifyMacCheck);  // on again
  EXPECT_EQ(SearchesOfTicks(1), 0u);
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "MAC is OK!");
}

TEST_F(LabelMacCheckTest, TheSearchRunsWhileLockedAndNoTickRunsWhileTheResultIsShown) {
  Dialog().LockGatewaySelection(true);
  Label("001A2B3C4D5E");
  Tick();
  Answer();
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

}  // namespace
