// The key=value words of "vellora-cli set": what is bad usage, what the window would refuse, and
// that a word changes only its own field. What confirms a new MAC.
#include <gtest/gtest.h>

#include "cli/new_mac_check.h"
#include "cli/settings_words.h"
#include "tests/support/sample_record.h"

namespace {

WordResult Apply(const std::string& word, TypedSettings& typed) {
  std::string why;
  return ApplySettingWord(word, typed, why);
}

TEST(CliSettingWords, AWordChangesOnlyItsOwnFieldAsTheEditsWouldHoldIt) {
  TypedSettings typed;
  typed.fill("7");
  typed[PartIndex("name")] = "old";
  for (const char* word : {"gateway=10.0.0.254", "dhcp=on", "use-proxy=off", "name=Bäckerei €"})
    EXPECT_EQ(Apply(word, typed), WordResult::Taken) << word;
  const char* gateway[] = {"10", "0", "0", "254"};
  for (std::size_t part = 0; part < typed.size(); ++part) {
    const std::size_t octet = part - PartIndex("gateway");
    const char* expected = part == PartIndex("dhcp")        ? "1"
                           : part == PartIndex("use-proxy") ? "0"
                           : part == PartIndex("name")      ? "B\xE4"
                                                              "ckerei \x80"  // Windows-1252
                           : octet < 4                      ? gateway[octet]
                                                            : "7";
    EXPECT_EQ(typed[part], expected) << part;
  }

  // Out-of-range and empty numbers are left for "Set" to refuse, as it refuses typed ones.
  EXPECT_EQ(Apply("ip=10.0.0.300", typed), WordResult::Taken);
  EXPECT_EQ(typed[PartIndex("ip", 3)], "300");
  EXPECT_EQ(Apply("ip=10..0.1", typed), WordResult::Taken);
  EXPECT_EQ(typed[PartIndex("ip", 1)], "");
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
  EXPECT_EQ(typed[PartIndex("name")], "");

  // An overlong form would carry a NUL into the name; Latin-1 bytes are no UTF-8 at all.
  for (const char* word : {"name=x\xC0\x80yz",
                           "name=B\xE4"
                           "ckerei",
                           "proxy=\xED\xA0\x80"}) {
    EXPECT_EQ(ApplySettingWord(word, typed, why), WordResult::BadUsage) << word;
    EXPECT_NE(why.find("is not valid UTF-8"), std::string::npos) << why;
  }
  EXPECT_EQ(typed[PartIndex("name")], "");
}

// "--confirm" of a new MAC: the module answers with it from its address, and the old MAC is
// gone; a module elsewhere with the new MAC, or the old MAC still answering, is no confirmation.
TEST(CliNewMacCheck, TheNewMacFromTheModulesAddressAndTheOldOneGone) {
  GatewayRecord module = RecordWithMac(0x01);
  module.ActualIp = Ipv4::FromNumber(0x0A000032);
  const MacAddress newMac = {0x0A, 0x0B, 0x0C, 0x00, 0x00, 0x64};
  GatewayRecord renamed = module;
  std::copy(newMac.begin(), newMac.end(), renamed.Mac);
  GatewayRecord elsewhere = renamed;
  elsewhere.ActualIp = Ipv4::FromNumber(0x0A000033);

  FoundModules found;
  found.Add(renamed);
  EXPECT_TRUE(NewMacTaken(found, module, newMac));
  found.Add(module);  // the old MAC answers too
  EXPECT_TRUE(NewMacAnswers(found, module, newMac));
  EXPECT_FALSE(NewMacTaken(found, module, newMac));
  found.Clear();
  found.Add(elsewhere);
  EXPECT_FALSE(NewMacAnswers(found, module, newMac));
  EXPECT_FALSE(NewMacTaken(found, module, newMac));
  found.Clear();
  found.Add(module);  // its own MAC given again
  EXPECT_TRUE(NewMacTaken(found, module, MacOf(module)));
}

}  // namespace
