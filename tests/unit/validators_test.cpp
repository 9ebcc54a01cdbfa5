// Validator rules, and the whole-field check before the window closes.
#include "tests/support/vellora_fixture.h"

namespace {

// A filter takes only its characters, each standing for itself (no ranges); a range validator
// takes digits while typing and checks the bounds on the whole field, without overflowing back
// into range. What the edits take as keys is tested on the real window (keyboard_test.cpp).
TEST(Validators, AFilterHasNoRangesAndARangeCannotOverflowBackIntoRange) {
  const TFilterValidator rangeLooking(TCharSet("a-c"));
  EXPECT_FALSE(rangeLooking.IsValidInput("b"));
  EXPECT_TRUE(rangeLooking.IsValidInput("-ac"));
  const TRangeValidator port(0, 65535);
  EXPECT_TRUE(port.IsValidInput("99999") && port.IsValid("65535") && port.IsValid(""));
  EXPECT_FALSE(port.IsValid("65536") || port.IsValid("99999999999999999999"));
  EXPECT_FALSE(port.IsValidInput("-1") || port.IsValidInput("+1"));
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
