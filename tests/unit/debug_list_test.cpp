// The debug list: the one log, at most 501 lines, newest in view, each line copied as given.
#include "terminal/debug_list.h"
#include "tests/support/vellora_fixture.h"

namespace {

TEST(DebugListTest, KeepsTheNewest501LinesAsGivenWithTheNewestInView) {
  MemoryWindowSystem ws;
  TDialog dialog{ws, MainDialogTemplate()};  // nothing but the template's controls
  ws.CreateMainWindow(TFrameSpec{}, dialog);
  TListBox box{&dialog, IdDebugList};
  DebugList list{box};
  const auto& lines = ws.Lines(IdDebugList);
  char buffer[8] = "abc";
  list.Add(buffer);
  buffer[0] = 'X';
  list.Add("");
  list.Add("<b>\xE4</b>");
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", "", "<b>\xE4</b>"}));
  list.Clear();
  EXPECT_TRUE(lines.empty());
  for (int i = 0; i < 1502; ++i) {
    list.Add(("line " + std::to_string(i)).c_str());
    if (i == 500 || i == 501) {
      EXPECT_EQ(lines.front(), "line " + std::to_string(i - 500));
    }
  }
  EXPECT_EQ(lines.size(), 501u);
  EXPECT_EQ(lines.front(), "line 1001");
  EXPECT_EQ(lines.back(), "line 1501");
  EXPECT_EQ(ws.Get(IdDebugList).Caret, 500);
  list.Clear();
  list.Clear();
  EXPECT_TRUE(lines.empty());
}

}  // namespace
