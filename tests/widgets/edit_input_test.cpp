#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QtTest/QTest>

#include "main_window_fixture.h"
#include "resources/control_ids.h"

namespace {

constexpr int kOctetEdit = 11222;
constexpr int kSerialEdit = 11253;

}  // namespace

// What the user can type into the edits of the main dialog: text limits and validators fed
// real keystrokes; what the program sets is not filtered.
class EditInputTest : public MainWindowTest {
 protected:
  // Empties the field and types into it, one key per character.
  std::string TypeInto(int id, const QString& keys, bool clearFirst = true) {
    if (clearFirst) Windows.SetDlgItemText(id, "");
    auto* edit = ControlAs<QLineEdit>(id);
    edit->setFocus();
    edit->end(false);
    for (qsizetype i = 0; i < keys.size(); ++i) {
      const bool pair = keys[i].isHighSurrogate() && i + 1 < keys.size();
      const QString character = keys.mid(i, pair ? 2 : 1);
      if (pair) ++i;
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, character, Qt::NoModifier);
    }
    return Windows.GetDlgItemText(id, 256);
  }
};

TEST_F(EditInputTest, RangeEditsTakeDigitsUpToTheirLimitAndCheckTheRangeLater) {
  EXPECT_EQ(TypeInto(kOctetEdit, "1a"), "1");
  EXPECT_EQ(TypeInto(kOctetEdit, "2555"), "255");
  EXPECT_EQ(TypeInto(kOctetEdit, "300"), "300");  // typed; out of range only as a value
  EXPECT_FALSE(ControlAs<QLineEdit>(kOctetEdit)->hasAcceptableInput());
  EXPECT_EQ(TypeInto(IdPortEdit, "65536-1"), "65536");
}

TEST_F(EditInputTest, FilterEditsTakeOnlyTheirCharactersUpToTheirLimit) {
  EXPECT_EQ(TypeInto(IdMacEdit1, "fF"), "fF");
  EXPECT_EQ(TypeInto(IdMacEdit1, "0A1"), "0A");
  EXPECT_EQ(TypeInto(IdMacEdit1, "g-"), "");
  EXPECT_EQ(TypeInto(IdEepromValueEdit, "a9F"), "a9");
  EXPECT_EQ(TypeInto(IdEepromAddressEdit, "FFFF"), "FFF");
  EXPECT_EQ(TypeInto(kSerialEdit, "a1b23"), "12");
}

TEST_F(EditInputTest, FreeTextEditsStopAtTheirLimitCountingBytes) {
  EXPECT_EQ(TypeInto(IdNameEdit, QString(25, u'x')), std::string(20, 'x'));
  EXPECT_EQ(TypeInto(IdServerEdit, QString(70, u's')), std::string(64, 's'));
  EXPECT_EQ(TypeInto(IdProxyEdit, QString(70, u'p')), std::string(64, 'p'));
  EXPECT_EQ(TypeInto(IdLabelMacEdit, QString(20, u'0')), std::string(16, '0'));
  // Characters outside Latin-1 and outside the BMP are one byte each.
  const QString wide = QString(17, u'a') + QStringLiteral("\u20AC\u4E2D") +
                       QString::fromUcs4(U"\U0001F600\U0001F600");
  EXPECT_EQ(TypeInto(IdNameEdit, wide), std::string(17, 'a') + "\x80??");
}

TEST_F(EditInputTest, ARefusedChangeLeavesTextAndSelectionAsTheyWere) {
  TypeInto(kOctetEdit, "255");
  auto* edit = ControlAs<QLineEdit>(kOctetEdit);
  edit->setSelection(1, 1);
  QTest::keyClicks(edit, "x");
  EXPECT_EQ(edit->text(), QStringLiteral("255"));
  EXPECT_EQ(edit->selectedText(), QStringLiteral("5"));

  // A paste that would pass the limit is refused whole.
  TypeInto(IdNameEdit, QString(15, u'n'));
  QGuiApplication::clipboard()->setText(QStringLiteral("0123456789"));
  ControlAs<QLineEdit>(IdNameEdit)->paste();
  EXPECT_EQ(Windows.GetDlgItemText(IdNameEdit, 256), std::string(15, 'n'));
}

TEST_F(EditInputTest, TheProgramsTextIsNotFilteredButTheUsersChangesStillAre) {
  Windows.SetDlgItemText(IdMacEdit1, "zz9");
  EXPECT_EQ(Windows.GetDlgItemText(IdMacEdit1, 256), "zz9");
  EXPECT_EQ(TypeInto(IdMacEdit1, "1", false), "zz9");

  Windows.SetDlgItemText(IdNameEdit, std::string(25, 'q'));
  EXPECT_EQ(TypeInto(IdNameEdit, "r", false), std::string(25, 'q'));
  QTest::keyClick(ControlAs<QLineEdit>(IdNameEdit), Qt::Key_Backspace);
  EXPECT_EQ(Windows.GetDlgItemText(IdNameEdit, 256), std::string(24, 'q'));
}

TEST_F(EditInputTest, DisabledEditsTakeNeitherFocusNorKeys) {
  for (int id : {IdSerialShown1, 11234}) {
    Windows.SetFocus(id);
    EXPECT_NE(QApplication::focusWidget(), Control(id)) << id;
    QTest::keyClicks(Control(id), "12");
    EXPECT_EQ(Windows.GetDlgItemText(id, 256), "0") << id;
  }
}
