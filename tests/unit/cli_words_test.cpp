// The key=value words of "vellora-cli set": what is bad usage, what the window would refuse, and
// that a word changes only its own field.
#include <gtest/gtest.h>

#include "cli/settings_words.h"

namespace {

WordResult Apply(const std::string& word, TypedSettings& typed) {
  std::string why;
  return ApplySettingWord(word, typed, why);
}

TEST(CliSettingWords, AWordChangesOnlyItsOwnFieldAsTheEditsWouldHoldIt) {
  TypedSettings typed;
  typed.Octets.fill("7");
  typed.Port = "80";
  typed.Name = "old";
  EXPECT_EQ(Apply("gateway=10.0.0.254", typed), WordResult::Taken);
  EXPECT_EQ(Apply("dhcp=on", typed), WordResult::Taken);
  EXPECT_EQ(Apply("name=Bäckerei €", typed), WordResult::Taken);
  for (int k = 0; k < 16; ++k) {
    const char* expected[] = {"10", "0", "0", "254"};
    EXPECT_EQ(typed.Octets[k], k / 4 == 2 ? expected[k % 4] : "7") << k;
  }
  EXPECT_TRUE(typed.UseDhcp);
  EXPECT_FALSE(typed.UseProxy);
  EXPECT_EQ(typed.Port, "80");
  EXPECT_EQ(typed.Name,
            "B\xE4"
            "ckerei \x80");  // Windows-1252, as the record holds it

  // Out-of-range and empty numbers are left for "Set" to refuse, as it refuses typed ones.
  EXPECT_EQ(Apply("ip=10.0.0.300", typed), WordResult::Taken);
  EXPECT_EQ(typed.Octets[3], "300");
  EXPECT_EQ(Apply("ip=10..0.1", typed), WordResult::Taken);
  EXPECT_EQ(typed.Octets[1], "");
}

TEST(CliSettingWords, MalformedWordsAreBadUsageAndUnholdableTextsAreRefused) {
  TypedSettings typed;
  for (const char* word : {"ip", "ip=10.0.0", "ip=10.0.0.1.5", "ip=10.0.0.x", "port=8o",
                           "dhcp=maybe", "colour=red", "=1"}) {
    std::string why;
    EXPECT_EQ(ApplySettingWord(word, typed, why), WordResult::BadUsage) << word;
    EXPECT_FALSE(why.empty());
  }
  std::string why;
  EXPECT_EQ(ApplySettingWord("name=\xE6\x97\xA5", typed, why), WordResult::Refused);
  EXPECT_EQ(why, "Vellora: Set not sent, name holds a character that Windows-1252 cannot hold");
  EXPECT_EQ(ApplySettingWord("name=" + std::string(21, 'n'), typed, why), WordResult::Refused);
  EXPECT_EQ(why, "Vellora: Set not sent, name has 21 characters, at most 20");
  EXPECT_EQ(ApplySettingWord("server=" + std::string(64, 's'), typed, why), WordResult::Taken);
  EXPECT_EQ(typed.Name, "");
}

}  // namespace
