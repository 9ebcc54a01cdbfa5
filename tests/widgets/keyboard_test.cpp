// What a user's keys do in the real program's window: what the edits take, and where Tab goes;
// and what a screen reader says for the controls the keyboard reaches. The captions are painted
// beside the edits and lists, not tied to them, so without names of their own a reader would
// announce 44 of them as nothing but "edit" or "list".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest/QTest>
#include <algorithm>
#include <set>

#include "platform/memory/memory_socket_layer.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"
#include "tests/support/qt_program.h"
#include "tests/support/window_fixture.h"

namespace {

constexpr int kIpOctet1 = kOctetEditIds[4];

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override { program.Click(IdExpandButton); }  // every edit enabled and shown

  // Empties the edit with Ctrl+A and Delete, then types one key per character (a character
  // outside the BMP is one key); yields what the program reads.
  std::string Type(int id, const QString& keys) {
    program.Replace(id, "");
    for (char32_t c : keys.toUcs4())
      QTest::sendKeyEvent(QTest::Click, program.Widget(id), Qt::Key_unknown,
                          QString::fromUcs4(&c, 1), Qt::NoModifier);
    return program.Text(id);
  }
  std::string Paste(int id, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(program.Widget(id), Qt::Key_V, Qt::ControlModifier);
    return program.Text(id);
  }

  MemorySocketLayer sockets;
  QtProgram program{sockets};
};

TEST_F(KeyboardTest, ValidatorsRefuseKeysAndPastesLeavingTextAndSelectionAsTheyWere) {
  EXPECT_EQ(Type(kIpOctet1, "1a"), "1");
  EXPECT_EQ(Type(kIpOctet1, "2555"), "255");
  EXPECT_EQ(Type(IdPortEdit, "65536-1"), "65536");
  EXPECT_EQ(Type(IdMacEdit1, "fF"), "fF");
  EXPECT_EQ(Type(IdMacEdit1, "0A1"), "0A");
  EXPECT_EQ(Type(IdMacEdit1, "g-"), "");
  EXPECT_EQ(Type(IdEepromAddressEdit, "FFFF"), "FFF");
  EXPECT_EQ(Type(kSerialEditIds[0], "a1b23"), "12");
  EXPECT_EQ(Paste(IdMacEdit1, "1g"), "");

  auto* edit = qobject_cast<QLineEdit*>(program.Widget(kIpOctet1));
  Type(kIpOctet1, "255");
  edit->setSelection(1, 1);
  QTest::keyClicks(edit, "x");
  EXPECT_EQ(edit->text(), QStringLiteral("255"));
  EXPECT_EQ(edit->selectedText(), QStringLiteral("5"));

  // The range is checked only on the whole field, when the window is to close.
  EXPECT_EQ(Type(kIpOctet1, "300"), "300");
  EXPECT_FALSE(program.Frame()->close());
  ASSERT_EQ(program.Boxes.size(), 1u);
  EXPECT_EQ(program.Boxes[0].Text, "Value is not in the range 0 to 255.");
}

TEST_F(KeyboardTest, EditsTakeOnlyWhatWindows1252HoldsAndCutPastesToTheLimit) {
  EXPECT_EQ(Type(IdNameEdit, QString(25, u'x')), std::string(20, 'x'));
  EXPECT_EQ(Type(IdServerEdit, QString(70, u's')), std::string(64, 's'));
  EXPECT_EQ(Type(IdLabelMacEdit, QString(20, u'0')), std::string(16, '0'));
  // The euro sign is byte 0x80; a CJK character and one outside the BMP have no byte and are
  // refused, so nothing goes out as '?'.
  const QString wide = QString(17, u'a') + QStringLiteral("\u20AC\u4E2D") +
                       QString::fromUcs4(U"\U0001F600") + QStringLiteral("\u00E9");
  EXPECT_EQ(Type(IdNameEdit, wide), std::string(17, 'a') + "\x80\xE9");
  EXPECT_EQ(Paste(IdNameEdit, QStringLiteral("b\u4E2D")), std::string(17, 'a') + "\x80\xE9");
  // A paste that would pass the limit is cut to it, where it is put.
  EXPECT_EQ(Type(IdNameEdit, QString(15, u'n')), std::string(15, 'n'));
  EXPECT_EQ(Paste(IdNameEdit, "0123456789"), std::string(15, 'n') + "01234");
  auto* name = qobject_cast<QLineEdit*>(program.Widget(IdNameEdit));
  name->setSelection(2, 3);
  EXPECT_EQ(Paste(IdNameEdit, "ABCDEFGH"), "nnABCnnnnnnnnnn01234");
  // A cut paste must still pass the field's validator.
  Type(IdMacEdit1, "");
  EXPECT_EQ(Paste(IdMacEdit1, "abc"), "ab");
  EXPECT_EQ(Paste(IdMacEdit1, "c"), "ab");
}

// Tab walks the controls in template order, skipping what takes no focus and the edits the
// template disables.
TEST_F(KeyboardTest, TabFollowsTheTemplateOrder) {
  std::vector<DialogControl> stops;
  for (const DialogControl& c : MainDialogTemplate().Controls) {
    const bool focusable = c.Kind != ControlKind::Label && c.Kind != ControlKind::GroupBox &&
                           c.Kind != ControlKind::Picture && c.Kind != ControlKind::EtchedLine;
    if (focusable && (c.Style & control_style::Disabled) == 0) stops.push_back(c);
  }
  std::ranges::sort(stops, {}, &DialogControl::Order);
  ASSERT_EQ(stops.size(), 49u);
  program.Widget(stops.front().Id)->setFocus(Qt::TabFocusReason);
  for (std::size_t i = 1; i <= stops.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), program.Widget(stops[i % stops.size()].Id)) << i;
  }
}

class AccessibilityTest : public WindowTest {
 protected:
  std::string Name(int id) const {
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(program->Widget(id));
    return control == nullptr ? std::string() : control->text(QAccessible::Name).toStdString();
  }
};

TEST_F(AccessibilityTest, EveryFocusableControlHasANameOfItsOwn) {
  program->Click(IdExpandButton);  // every control shown
  std::vector<int> unnamed;
  std::set<std::string> names;
  for (const DialogControl& control : MainDialogTemplate().Controls) {
    if (!TakesFocus(control.Kind)) continue;
    const std::string name = Name(control.Id);
    if (name.empty()) unnamed.push_back(control.Id);
    EXPECT_TRUE(names.insert(name).second) << "two controls are called \"" << name << '"';
  }
  EXPECT_THAT(unnamed, ::testing::IsEmpty());

  // As the captions read, with the part of the field each edit holds; a button keeps its text,
  // read without the mnemonic mark.
  EXPECT_EQ(Name(kOctetEditIds[4]) + "|" + Name(kSerialEditIds[0]) + "|" + Name(IdSetIncrButton),
            "IP octet 1|New serial number, digits 1-2|Set & Incr.");

  // A drop-down list keeps its name when an entry is chosen; the entry is its value.
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(program->Widget(IdPcIpCombo));
  EXPECT_EQ(list->text(QAccessible::Value).toStdString(), program->Text(IdPcIpCombo));
  EXPECT_EQ(list->role(), QAccessible::ComboBox);
}

}  // namespace
