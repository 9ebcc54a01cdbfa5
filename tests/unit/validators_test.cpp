// Validator rules, and the whole-field check before the window closes.
#include "tests/support/vellora_fixture.h"

namespace {

TEST(Validators, FilterTakesOnlyItsCharactersEachStandingForItself) {
  const TFilterValidator hex(TCharSet("01234567899abcdefABCDEF"));
  EXPECT_TRUE(hex.IsValidInput(""));
  EXPECT_TRUE(hex.IsValidInput("fF0A9"));
  for (const char* refused : {"g", "-", "1 ", "\xE4"})
    EXPECT_FALSE(hex.IsValidInput(refused));
  const TFilterValidator rangeLooking(TCharSet("a-c"));  // no ranges: 'b' is not in it
  EXPECT_FALSE(rangeLooking.IsValidInput("b"));
  EXPECT_TRUE(rangeLooking.IsValidInput("-ac"));
}

TEST(Validators, RangeTakesDigitsWhileTypingAndChecksBoundsOnTheWholeField) {
  const TRangeValidator octet(0, 255);
  EXPECT_TRUE(octet.IsValidInput("300"));
  for (const char* refused : {"1a", "-1", "+1"})
    EXPECT_FALSE(octet.IsValidInput(refused));
  for (const char* valid : {"255", "0", ""})
    EXPECT_TRUE(octet.IsValid(valid));
  EXPECT_FALSE(octet.IsValid("256"));
  const TRangeValidator port(0, 65535);
  EXPECT_TRUE(port.IsValid("65535"));
  EXPECT_FALSE(port.IsValid("65536"));
  EXPECT_FALSE(port.IsValid("99999999999999999999"));  // no overflow back into range
  EXPECT_EQ(port.ErrorText(), "Value is not in the range 0 to 65535.");
}

using CloseTest = VelloraTest;

// The frame closes only with every range field in range; display-only edits take no input
// or focus.
TEST_F(CloseTest, TheFrameClosesOnlyWithEveryRangeFieldInRange) {
  Start();
  for (int id : {11234, 11233, 11232, 11231, 11257, 11256, 11255, 11254}) {
    EXPECT_EQ(ws.Type(id, "1"), 0) << id;
    ws.SetFocus(id);
    EXPECT_NE(ws.FocusId, id);
  }
  Set(11221, "300");
  EXPECT_FALSE(ws.CloseFrame());
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Text, "Value is not in the range 0 to 255.");
  EXPECT_EQ(ws.FocusId, 11221);
  Set(11221, "30");
  EXPECT_TRUE(ws.CloseFrame());
}

}  // namespace
