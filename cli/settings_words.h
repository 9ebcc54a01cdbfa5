#pragma once

#include <string>
#include <string_view>

#include "gateway/settings_commands.h"

// One key=value word of "vellora-cli set", applied to the settings as the window's fields would
// hold them after typing. The keys are those of the settings table: addresses dotted, flags 0
// or 1 (on or off, yes or no), texts in UTF-8, the port in decimal. Numbers are taken as typed,
// so that "Set" refuses an octet above 255 or an empty field as the window does.
enum class WordResult { Taken, BadUsage, Refused };
WordResult ApplySettingWord(std::string_view word, TypedSettings& typed, std::string& why);
// "ip, netmask, ...": every key, for messages and help.
std::string SettingKeyList();
