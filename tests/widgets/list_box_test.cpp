#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFontInfo>
#include <QScrollBar>

#include "main_window_fixture.h"
#include "resources/control_ids.h"

// The debug list keeps its lines exactly and at once; the view follows after one pass of the
// event loop, however many lines came in between.
class ListBoxTest : public MainWindowTest {
 protected:
  QAbstractItemView* View() const { return ControlAs<QAbstractItemView>(IdDebugList); }

  // The program's rule for its log: at most 501 lines, the newest in view.
  void AddDebugLine(const std::string& text) {
    if (Windows.ListGetCount(IdDebugList) > 500) Windows.ListDeleteString(IdDebugList, 0);
    const int index = Windows.ListAddString(IdDebugList, text);
    Windows.ListSetCaretIndex(IdDebugList, index, true);
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < Windows.ListGetCount(IdDebugList); ++i)
      lines.push_back(Windows.ListGetString(IdDebugList, i));
    return lines;
  }

  std::vector<std::string> ShownLines() const {
    std::vector<std::string> lines;
    const QAbstractItemModel* model = View()->model();
    for (int row = 0; row < model->rowCount(); ++row)
      lines.push_back(model->index(row, 0).data().toString().toStdString());
    return lines;
  }
};

TEST_F(ListBoxTest, KeepsTheNewest501LinesAndShowsTheNewestAfterOnePass) {
  for (int i = 0; i < 600; ++i)
    AddDebugLine("line " + std::to_string(i));
  ASSERT_EQ(Windows.ListGetCount(IdDebugList), 501);
  EXPECT_EQ(Windows.ListGetString(IdDebugList, 0), "line 99");
  EXPECT_EQ(Windows.ListGetString(IdDebugList, 500), "line 599");

  QCoreApplication::processEvents();
  EXPECT_EQ(ShownLines(), Lines());
  const QModelIndex newest = View()->model()->index(500, 0);
  EXPECT_EQ(View()->currentIndex(), newest);
  EXPECT_TRUE(View()->viewport()->rect().contains(View()->visualRect(newest)));

  // More lines once the list is full: the same rows take the newer lines.
  for (int i = 600; i < 650; ++i)
    AddDebugLine("line " + std::to_string(i));
  QCoreApplication::processEvents();
  EXPECT_EQ(ShownLines(), Lines());
  EXPECT_EQ(ShownLines().front(), "line 149");
  EXPECT_EQ(View()->currentIndex(), newest);

  // A selected line keeps its selection while it moves up.
  View()->setCurrentIndex(View()->model()->index(10, 0));
  for (int i = 650; i < 655; ++i)
    AddDebugLine("line " + std::to_string(i));
  QCoreApplication::processEvents();
  EXPECT_EQ(ShownLines(), Lines());
  const QModelIndexList selected = View()->selectionModel()->selectedIndexes();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().row(), 5);
  EXPECT_EQ(selected.front().data().toString(), QStringLiteral("line 159"));
}

TEST_F(ListBoxTest, DeletesAnywhereAndOddLinesStayExact) {
  for (const char* line : {"a", "b", "c", "d"})
    Windows.ListAddString(IdDebugList, line);
  QCoreApplication::processEvents();
  Windows.ListDeleteString(IdDebugList, 2);
  Windows.ListDeleteString(IdDebugList, 7);  // no such line
  Windows.ListAddString(IdDebugList, "");
  Windows.ListAddString(IdDebugList, std::string("e\0f", 3));  // a C string ends at NUL
  EXPECT_EQ(Lines(), (std::vector<std::string>{"a", "b", "d", "", "e"}));
  EXPECT_EQ(Windows.ListGetString(IdDebugList, 9), "");
  QCoreApplication::processEvents();
  EXPECT_EQ(ShownLines(), Lines());

  while (Windows.ListGetCount(IdDebugList) > 0)
    Windows.ListDeleteString(IdDebugList, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->model()->rowCount(), 0);
}

TEST_F(ListBoxTest, ScrollsSidewaysToItsExtentInAFixedPitchFont) {
  Windows.ListAddString(IdDebugList, "x");
  QCoreApplication::processEvents();
  Windows.ListSetFixedPitchFont(IdDebugList);
  Windows.ListSetHorizontalExtent(IdDebugList, 2000);
  QCoreApplication::processEvents();
  EXPECT_TRUE(QFontInfo(View()->font()).fixedPitch());
  EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 2000 - View()->viewport()->width());
  EXPECT_TRUE(View()->verticalScrollBar()->isVisible());
}
