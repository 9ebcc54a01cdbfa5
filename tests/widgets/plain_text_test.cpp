// Texts cross into the window as Windows-1252 bytes and are shown as plain text.
#include <gtest/gtest.h>

#include <QComboBox>

#include <QAbstractItemView>
#include <QCoreApplication>

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

}  // namespace
