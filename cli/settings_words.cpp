#include "cli/settings_words.h"

#include <algorithm>
#include <array>

#include "protocol/windows1252.h"

namespace {

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The four octets of an address as the edits would hold them; empty ones stay empty.
bool Octets(std::string_view value, std::string* octets) {
  for (int k = 0; k < 4; ++k) {
    const std::size_t dot = k < 3 ? value.find('.') : value.size();
    if (dot == std::string_view::npos || !AllDigits(value.substr(0, dot))) return false;
    octets[k] = std::string(value.substr(0, dot));
    value.remove_prefix(k < 3 ? dot + 1 : dot);
  }
  return true;
}

bool Flag(std::string_view value, bool& flag) {
  for (const std::string_view on : {"1", "on", "yes", "true"}) {
    if (value == on) {
      flag = true;
      return true;
    }
  }
  for (const std::string_view off : {"0", "off", "no", "false"}) {
    if (value == off) {
      flag = false;
      return true;
    }
  }
  return false;
}

}  // namespace

WordResult ApplySettingWord(std::string_view word, TypedSettings& typed, std::string& why) {
  const std::size_t equals = word.find('=');
  if (equals == std::string_view::npos) {
    why = "'" + std::string(word) + "' is not key=value";
    return WordResult::BadUsage;
  }
  const std::string_view key = word.substr(0, equals), value = word.substr(equals + 1);
  constexpr std::array<std::string_view, 4> kAddresses = {"ip", "netmask", "gateway", "dns"};
  if (const auto at = std::find(kAddresses.begin(), kAddresses.end(), key);
      at != kAddresses.end()) {
    if (Octets(value, &typed.Octets[4 * static_cast<std::size_t>(at - kAddresses.begin())]))
      return WordResult::Taken;
    why = std::string(key) + "=" + std::string(value) + " is not four numbers with dots";
    return WordResult::BadUsage;
  }
  if (key == "port") {
    typed.Port = std::string(value);
    if (AllDigits(value)) return WordResult::Taken;
    why = "port=" + std::string(value) + " is not a number";
    return WordResult::BadUsage;
  }
  if (key == "dhcp" || key == "use-proxy") {
    if (Flag(value, key == "dhcp" ? typed.UseDhcp : typed.UseProxy)) return WordResult::Taken;
    why = std::string(key) + "=" + std::string(value) + " is not 0 or 1";
    return WordResult::BadUsage;
  }
  struct Text {
    std::string_view Key;
    std::string* Field;
    std::size_t Most;  // as many as the window's edit takes
  };
  for (const Text& text : {Text{"name", &typed.Name, 20}, Text{"server", &typed.Server, 64},
                           Text{"proxy", &typed.ProxyServer, 64}}) {
    if (key != text.Key) continue;
    // Checked apart from the conversion, so that the message says what is wrong: an overlong
    // form would bring a NUL into the name, and Latin-1 bytes are no characters at all here.
    if (!IsValidUtf8(value)) {
      why = std::string(key) + "= holds a text that is not valid UTF-8";
      return WordResult::BadUsage;
    }
    const std::optional<std::string> bytes = Utf8ToWindows1252(value);
    if (!bytes) {
      why = "Vellora: Set not sent, " + std::string(key) +
            " holds a character that Windows-1252 cannot hold";
      return WordResult::Refused;
    }
    if (bytes->size() > text.Most) {
      why = "Vellora: Set not sent, " + std::string(key) + " has " + std::to_string(bytes->size()) +
            " characters, at most " + std::to_string(text.Most);
      return WordResult::Refused;
    }
    *text.Field = *bytes;
    return WordResult::Taken;
  }
  why = "unknown setting '" + std::string(key) +
        "' (ip, netmask, gateway, dns, dhcp, name, server, proxy, use-proxy, port)";
  return WordResult::BadUsage;
}
