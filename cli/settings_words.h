#pragma once

#include <string>
#include <string_view>

#include "gateway/settings_commands.h"

// One key=value word of "vellora-cli set", applied to the settings as the window's fields would
// hold them after typing. The keys are those of the record: ip, netmask, gateway, dns (dotted),
// dhcp, use-proxy (0 or 1, on or off, yes or no), name, server, proxy (texts), port. Numbers are
// taken as typed, so that "Set" refuses an octet above 255 or an empty field as the window does.
enum class WordResult { Taken, BadUsage, Refused };
WordResult ApplySettingWord(std::string_view word, TypedSettings& typed, std::string& why);
