// The debug list of the real program: its lines change at once and exactly; after one pass of
// the event loop its rows show exactly those lines, however many changes came in between.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFontInfo>
#include <QScrollBar>

#include "platform/memory/memory_socket_layer.h"
#include "resources/control_ids.h"
#include "tests/support/qt_program.h"

TEST(ListBoxTest, RowsShowTheExactLinesAfterAddsAndDeletesAnywhere) {
  MemorySocketLayer sockets;
  QtProgram program(sockets);
  QtWindowSystem& windows = program.Windows();
  auto* view = qobject_cast<QAbstractItemView*>(program.Widget(IdDebugList));
  const auto add = [&](int from, int to) {
    for (int i = from; i < to; ++i)
      program.Dialog().AddDebugLine(("line " + std::to_string(i)).c_str());
  };
  const auto shown = [&] {
    QCoreApplication::processEvents();
    std::vector<std::string> rows;
    for (int row = 0; row < view->model()->rowCount(); ++row)
      rows.push_back(view->model()->index(row, 0).data().toString().toStdString());
    return rows;
  };
  add(0, 600);
  EXPECT_EQ(shown(), program.DebugLines());
  // The newest line is in sight.
  EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(view->model()->index(500, 0))));
  // Full: the same rows take newer lines, the newest stays current.
  add(600, 650);
  EXPECT_EQ(shown(), program.DebugLines());
  EXPECT_EQ(program.DebugLines().front(), "line 149");
  EXPECT_EQ(view->currentIndex().row(), 500);
  // A selected line keeps its selection while it moves up.
  view->setCurrentIndex(view->model()->index(10, 0));
  add(650, 655);
  EXPECT_EQ(shown(), program.DebugLines());
  const QModelIndexList selected = view->selectionModel()->selectedIndexes();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().data().toString(), QStringLiteral("line 159"));

  windows.ListDeleteString(IdDebugList, 250);
  windows.ListDeleteString(IdDebugList, 900);  // no such line
  windows.ListAddString(IdDebugList, "");
  windows.ListAddString(IdDebugList, std::string("e\0f", 3));  // a C string ends at NUL
  const auto lines = program.DebugLines();
  ASSERT_EQ(lines.size(), 502u);
  EXPECT_EQ(lines[250], "line 405");
  EXPECT_EQ((std::vector<std::string>{lines[500], lines[501]}),
            (std::vector<std::string>{"", "e"}));
  EXPECT_EQ(shown(), lines);
  // Fixed pitch, scrolling sideways to the extent the program sets.
  EXPECT_TRUE(QFontInfo(view->font()).fixedPitch());
  EXPECT_EQ(view->horizontalScrollBar()->maximum(), 2000 - view->viewport()->width());
  program.Click(IdClearListButton);
  EXPECT_TRUE(shown().empty());
}
