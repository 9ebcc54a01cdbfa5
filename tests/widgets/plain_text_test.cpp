// Texts cross into the window as Windows-1252 bytes and are shown as plain text. The debug list
// of the real program: its lines change at once and exactly; after one pass of the event loop
// its rows show exactly those lines, however many changes came in between.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QScrollBar>

#include "platform/memory/memory_socket_layer.h"
#include "platform/qt/label_widget.h"
#include "platform/qt/windows1252.h"
#include "resources/control_ids.h"
#include "tests/support/qt_program.h"

namespace {

class PlainTextTest : public ::testing::Test {
 protected:
  MemorySocketLayer sockets;
  QtProgram program{sockets};
  QtWindowSystem& windows = program.Windows();
};

// Every byte but NUL (which ends a text, as it ends a C string) comes back from every kind of
// control as it was given.
TEST_F(PlainTextTest, EveryByteComesBackThroughItsCharacter) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  const QString text = FromWindows1252(all);
  EXPECT_EQ(text[0x80 - 1], QChar(0x20AC));
  EXPECT_EQ(text[0x9F - 1], QChar(0x0178));
  EXPECT_EQ(text[0x81 - 1], QChar(0x81));  // no character in Windows-1252: kept as it is
  EXPECT_EQ(ToWindows1252(QStringLiteral("\u0080\u0100") + QString::fromUcs4(U"\U0001F600")),
            "???");

  for (int id : {IdNameEdit, IdStateText, IdSetButton, IdUseDhcpCheck, 11091 /* group box */}) {
    windows.SetDlgItemText(id, all);
    EXPECT_EQ(windows.GetDlgItemText(id), all) << id;
  }
  windows.SetFrameCaption(all);
  EXPECT_EQ(windows.FrameWidget()->windowTitle(), text);
  windows.ComboAddString(IdGatewayCombo, all);
  EXPECT_EQ(qobject_cast<QComboBox*>(windows.ControlWidget(IdGatewayCombo))->itemText(0), text);
  windows.ListAddString(IdDebugList, all);
  EXPECT_EQ(program.DebugLines().back(), all);
}

TEST_F(PlainTextTest, MarkupIsShownAsWritten) {
  const char* markup = "<b>x</b> <i>y</i><br>";
  const QString literal = QString::fromLatin1(markup);
  windows.SetDlgItemText(IdStateText, markup);
  EXPECT_EQ(dynamic_cast<LabelWidget*>(program.Widget(IdStateText))->ShownText(), literal);
  windows.ComboAddString(IdGatewayCombo, markup);
  EXPECT_EQ(program.Combo(IdGatewayCombo), std::vector<std::string>{markup});
  windows.ListAddString(IdDebugList, markup);
  QCoreApplication::processEvents();
  const auto* list = qobject_cast<QAbstractItemView*>(program.Widget(IdDebugList));
  EXPECT_EQ(list->model()->index(list->model()->rowCount() - 1, 0).data().toString(), literal);
}

TEST_F(PlainTextTest, ListRowsShowTheExactLinesAfterAddsAndDeletesAnywhere) {
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

}  // namespace
