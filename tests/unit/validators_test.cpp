// Input rules of the dialog's edits: text limits and validators, typed key by key.
#include "tests/support/vellora_fixture.h"

namespace {

TEST(Validators, FilterTakesOnlyItsCharactersEachStandingForItself) {
  const TFilterValidator hex(TCharSet("01234567899abcdefABCDEF"));
  EXPECT_TRUE(hex.IsValidInput(""));
  EXPECT_TRUE(hex.IsValidInput("fF0A9"));
  EXPECT_FALSE(hex.IsValidInput("g"));
  EXPECT_FALSE(hex.IsValidInput("-"));
  EXPECT_FALSE(hex.IsValidInput("1 "));
  const TFilterValidator rangeLooking(TCharSet("a-c"));  // no ranges: 'b' is not in it
  EXPECT_FALSE(rangeLooking.IsValidInput("b"));
  EXPECT_TRUE(rangeLooking.IsValidInput("-ac"));
  EXPECT_FALSE(hex.IsValidInput(std::string("\xE4")));
}

TEST(Validators, RangeTakesDigitsWhileTypingAndChecksBoundsOnTheWholeField) {
  const TRangeValidator octet(0, 255);
  EXPECT_TRUE(octet.IsValidInput("300"));
  EXPECT_FALSE(octet.IsValidInput("1a"));
  EXPECT_FALSE(octet.IsValidInput("-1"));
  EXPECT_FALSE(octet.IsValidInput("+1"));
  EXPECT_TRUE(octet.IsValid("255"));
  EXPECT_TRUE(octet.IsValid("0"));
  EXPECT_TRUE(octet.IsValid(""));
  EXPECT_FALSE(octet.IsValid("256"));
  EXPECT_FALSE(octet.IsValid("300"));
  const TRangeValidator port(0, 65535);
  EXPECT_TRUE(port.IsValid("65535"));
  EXPECT_FALSE(port.IsValid("65536"));
  EXPECT_FALSE(port.IsValid("99999999999999999999"));  // no overflow into range
  EXPECT_EQ(port.ErrorText(), "Value is not in the range 0 to 65535.");
}

class EditRulesTest : public VelloraTest {
 protected:
  void SetUp() override {
    Start();
    ws.Click(IdExpandButton);
  }
  std::string TypeInto(int id, const std::string& keys) {
    ws.SetDlgItemText(id, "");
    ws.Type(id, keys);
    return Text(id);
  }
};

TEST_F(EditRulesTest, EditsAcceptWhatTheirRulesAllow) {
  EXPECT_EQ(TypeInto(11222, "1a"), "1");
  EXPECT_EQ(TypeInto(11222, "2555"), "255");
  EXPECT_EQ(TypeInto(11222, "300"), "300");  // typed, out of range only as a whole
  EXPECT_EQ(TypeInto(IdPortEdit, "655361"), "65536");
  EXPECT_EQ(TypeInto(11210, "fF"), "fF");
  EXPECT_EQ(TypeInto(11210, "0A1"), "0A");
  EXPECT_EQ(TypeInto(11210, "g-"), "");
  EXPECT_EQ(TypeInto(11253, "a1b2c3"), "12");
  EXPECT_EQ(TypeInto(IdEepromAddressEdit, "FFFF"), "FFF");
  EXPECT_EQ(TypeInto(IdEepromValueEdit, "a5z7"), "a5");
  EXPECT_EQ(TypeInto(IdNameEdit, std::string(25, 'n')), std::string(20, 'n'));
  EXPECT_EQ(TypeInto(IdServerEdit, std::string(70, 's')), std::string(64, 's'));
  EXPECT_EQ(TypeInto(IdProxyEdit, std::string(70, 'p')), std::string(64, 'p'));
  EXPECT_EQ(TypeInto(IdLabelMacEdit, "00:1A:2B:3C:4D:5E\r"), "00:1A:2B:3C:4D:5");
}

TEST_F(EditRulesTest, DisplayOnlyEditsTakeNoInputOrFocus) {
  for (int id : {11234, 11233, 11232, 11231, 11257, 11256, 11255, 11254}) {
    EXPECT_EQ(ws.Type(id, "1"), 0) << id;
    ws.SetFocus(id);
    EXPECT_NE(ws.FocusId, id);
  }
}

TEST_F(EditRulesTest, TheFrameClosesOnlyWithEveryRangeFieldInRange) {
  ws.Type(11221, "0");
  TypeInto(11221, "300");
  EXPECT_FALSE(ws.CloseFrame());
  ASSERT_FALSE(ws.Boxes.empty());
  EXPECT_EQ(ws.Boxes.back().Text, "Value is not in the range 0 to 255.");
  EXPECT_EQ(ws.FocusId, 11221);
  TypeInto(11221, "30");
  EXPECT_TRUE(ws.CloseFrame());
}

}  // namespace
