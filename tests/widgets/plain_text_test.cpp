#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>

#include "main_window_fixture.h"
#include "platform/qt/group_box_widget.h"
#include "platform/qt/label_widget.h"
#include "resources/control_ids.h"

namespace {

// Every byte but NUL, which ends a text as it ends a C string.
std::string AllBytes() {
  std::string bytes;
  for (int b = 1; b < 256; ++b)
    bytes.push_back(static_cast<char>(b));
  return bytes;
}

constexpr const char* kMarkup = "<b>x</b> <i>y</i><br>";

}  // namespace

using PlainTextTest = MainWindowTest;

// Each kind of control gives back exactly the bytes it was given, whatever they are.
TEST_F(PlainTextTest, EveryByteComesBackFromEveryKindOfControl) {
  const std::string all = AllBytes();
  for (int id :
       {IdNameEdit, IdStateText, IdSetButton, IdUseDhcpCheck, 11091 /* group box */, IdDebugList}) {
    Windows.SetDlgItemText(id, all);
    EXPECT_EQ(Windows.GetDlgItemText(id, 1000), all) << id;
    EXPECT_EQ(Windows.GetDlgItemText(id, 11), all.substr(0, 10)) << id;
    Windows.SetDlgItemText(id, std::string("ab\0cd", 5));
    EXPECT_EQ(Windows.GetDlgItemText(id, 1000), "ab") << id;
  }
  Windows.SetFrameCaption(all);
  EXPECT_EQ(Windows.GetFrameCaption(), all);
  Windows.ComboAddString(IdPcIpCombo, all);
  Windows.ComboSetSelIndex(IdPcIpCombo, 0);
  EXPECT_EQ(Windows.GetDlgItemText(IdPcIpCombo, 1000), all);
  EXPECT_EQ(Windows.ComboFindStringExact(IdPcIpCombo, all), 0);
  Windows.ListAddString(IdDebugList, all);
  EXPECT_EQ(Windows.ListGetString(IdDebugList, 0), all);
}

TEST_F(PlainTextTest, MarkupIsShownLiterally) {
  const QString literal = QString::fromLatin1(kMarkup);
  Windows.SetDlgItemText(IdStateText, kMarkup);
  EXPECT_EQ(ControlAs<LabelWidget>(IdStateText)->ShownText(), literal);
  Windows.SetDlgItemText(IdSetButton, kMarkup);
  EXPECT_EQ(ControlAs<QAbstractButton>(IdSetButton)->text(), literal);
  Windows.ComboAddString(IdGatewayCombo, kMarkup);
  EXPECT_EQ(ControlAs<QComboBox>(IdGatewayCombo)->itemText(0), literal);
  Windows.ListAddString(IdDebugList, kMarkup);
  QCoreApplication::processEvents();
  const auto* list = ControlAs<QAbstractItemView>(IdDebugList);
  EXPECT_EQ(list->model()->index(0, 0).data().toString(), literal);

  QString boxText;
  Qt::TextFormat boxFormat = Qt::RichText;
  Windows.SetMessageBoxObserver([&](QMessageBox& box) {
    boxText = box.text();
    boxFormat = box.textFormat();
    box.accept();
  });
  Windows.MessageBox(true, kMarkup, "Vellora", MB_OK);
  EXPECT_EQ(boxText, literal);
  EXPECT_EQ(boxFormat, Qt::PlainText);
}

// Template texts with a doubled ampersand show one.
TEST_F(PlainTextTest, DoubledAmpersandsShowAsOne) {
  Windows.SetDlgItemText(IdStateText, "Set && Incr.");
  EXPECT_EQ(ControlAs<LabelWidget>(IdStateText)->ShownText(), QStringLiteral("Set & Incr."));
  EXPECT_EQ(Windows.GetDlgItemText(IdStateText, 100), "Set && Incr.");
  EXPECT_EQ(Windows.GetDlgItemText(IdSetIncrButton, 100), "Set && Incr.");
}
