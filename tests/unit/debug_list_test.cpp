// The debug list: the one log, at most 501 lines, newest in view.
#include "terminal/debug_list.h"
#include "platform/memory/memory_window_system.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"
#include "tests/support/vellora_fixture.h"

namespace {

// The list alone, in a dialog that is nothing but the template's controls.
class DebugListTest : public ::testing::Test {
 protected:
  DebugListTest() { ws.CreateMainWindow(TFrameSpec{}, dialog); }
  void Add(int n, int from = 0) {
    for (int i = from; i < from + n; ++i)
      list.Add(("line " + std::to_string(i)).c_str());
  }
  const std::vector<std::string>& Lines() const { return ws.Lines(IdDebugList); }

  MemoryWindowSystem ws;
  TDialog dialog{ws, MainDialogTemplate()};
  TListBox box{&dialog, IdDebugList};
  DebugList list{box};
};

TEST_F(DebugListTest, KeepsAtMost501LinesDroppingTheOldest) {
  Add(500);
  EXPECT_EQ(Lines().size(), 500u);
  Add(1, 500);
  EXPECT_EQ(Lines().size(), 501u);
  EXPECT_EQ(Lines().front(), "line 0");
  Add(1, 501);
  EXPECT_EQ(Lines().size(), 501u);
  EXPECT_EQ(Lines().front(), "line 1");
  EXPECT_EQ(Lines().back(), "line 501");
  EXPECT_EQ(ws.Get(IdDebugList).Caret, 500);
  Add(1000, 502);
  EXPECT_EQ(Lines().size(), 501u);
  EXPECT_EQ(Lines().front(), "line 1001");
  EXPECT_EQ(Lines().back(), "line 1501");
  list.Clear();
  EXPECT_TRUE(Lines().empty());
  list.Clear();
}

TEST_F(DebugListTest, TextIsCopiedAsGivenEvenWhenEmpty) {
  char buffer[8] = "abc";
  list.Add(buffer);
  buffer[0] = 'X';
  list.Add("");
  list.Add("<b>\xE4</b>");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"abc", "", "<b>\xE4</b>"}));
}

}  // namespace
