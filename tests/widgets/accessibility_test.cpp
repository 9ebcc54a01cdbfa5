// What a screen reader says for the controls the keyboard reaches. The captions are painted
// beside the edits and lists, not tied to them, so without names of their own a reader would
// announce 44 of them as nothing but "edit" or "list".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <set>

#include "resources/control_ids.h"
#include "resources/dialog_11000.h"
#include "tests/support/window_fixture.h"

namespace {

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

  // As the captions read, with the part of the field each edit holds.
  EXPECT_EQ(Name(IdPcIpCombo), "PC address");
  EXPECT_EQ(Name(IdGatewayCombo), "Gateway MAC");
  EXPECT_EQ(Name(IdMacEdit6), "MAC byte 6");
  EXPECT_EQ(Name(kOctetEditIds[4]), "IP octet 1");
  EXPECT_EQ(Name(kSerialEditIds[0]), "New serial number, digits 1-2");
  EXPECT_EQ(Name(IdEepromAddressEdit), "EEPROM address");
  EXPECT_EQ(Name(IdDebugList), "Debug list");
  // A button keeps its text, read without the mnemonic mark.
  EXPECT_EQ(Name(IdSetIncrButton), "Set & Incr.");

  // A drop-down list keeps its name when an entry is chosen; the entry is its value.
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(program->Widget(IdPcIpCombo));
  EXPECT_EQ(list->text(QAccessible::Value).toStdString(), program->Text(IdPcIpCombo));
  EXPECT_EQ(list->role(), QAccessible::ComboBox);
}

}  // namespace
