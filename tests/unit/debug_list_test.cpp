// The debug list: the one log, at most 501 lines, newest in view.
#include "tests/support/vellora_fixture.h"

namespace {

class DebugListTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    ws.Click(IdClearListButton);
  }
  void Add(int n, int from = 0) {
    for (int i = from; i < from + n; ++i)
      dlg->AddDebugLine(("line " + std::to_string(i)).c_str());
  }
};

TEST_F(DebugListTest, KeepsAtMost501LinesDroppingTheOldest) {
  Add(500);
  EXPECT_EQ(DebugLines().size(), 500u);
  Add(1, 500);
  EXPECT_EQ(DebugLines().size(), 501u);
  EXPECT_EQ(DebugLines().front(), "line 0");
  Add(1, 501);
  EXPECT_EQ(DebugLines().size(), 501u);
  EXPECT_EQ(DebugLines().front(), "line 1");
  EXPECT_EQ(DebugLines().back(), "line 501");
  EXPECT_EQ(ws.Get(IdDebugList).Caret, 500);
  Add(1000, 502);
  EXPECT_EQ(DebugLines().size(), 501u);
  EXPECT_EQ(DebugLines().front(), "line 1001");
  EXPECT_EQ(DebugLines().back(), "line 1501");
}

TEST_F(DebugListTest, TextIsCopiedAsGivenEvenWhenEmpty) {
  char buffer[8] = "abc";
  dlg->AddDebugLine(buffer);
  buffer[0] = 'X';
  dlg->AddDebugLine("");
  dlg->AddDebugLine("<b>\xE4</b>");
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"abc", "", "<b>\xE4</b>"}));
}

TEST_F(DebugListTest, ClearEmptiesTheListButNotTheLineBeingReceivedOrCounters) {
  ws.Click(IdClearListButton);  // on an empty list: nothing happens
  EXPECT_TRUE(DebugLines().empty());
  Add(501);
  std::memcpy(dlg->ReceiveLine, "abc", 3);
  dlg->ReceiveLineLength = 3;
  dlg->BytesReceived = 17;
  ws.Click(IdClearListButton);
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(dlg->ReceiveLineLength, 3);
  EXPECT_EQ(dlg->BytesReceived, 17u);
}

}  // namespace
