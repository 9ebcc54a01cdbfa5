#include "tools/gateway_sim/hostile.h"

#include <cstdio>
#include <cstring>

#include "protocol/messages.h"
#include "protocol/settings_fields.h"
#include "tools/gateway_sim/mac_numbering.h"
#include "tools/gateway_sim/search_answer.h"

namespace {

struct KindName {
  unsigned Bit;
  const char* Name;
};

constexpr KindName kKindNames[] = {
    {HostileLengthField, "length-field"},
    {HostileShort, "short"},
    {HostileLong, "long"},
    {HostileNoNul, "no-nul"},
    {HostileBadCommand, "bad-command"},
    {HostileBadFirstByte, "bad-first-byte"},
    {HostileManyMacs, "many-macs"},
    {HostileFlood, "flood"},
    {HostileStream, "stream"},
};

Datagram Variant(const GatewaySetup& gateway, const char* kind) {
  Datagram d = GatewayReply(gateway);
  d.Kind = kind;
  return d;
}

void SetLengthField(Datagram& d, std::size_t length) {
  d.Bytes[8] = static_cast<std::uint8_t>(length >> 8);
  d.Bytes[9] = static_cast<std::uint8_t>(length & 0xFF);
}

void FillWithoutNul(Datagram& d, std::size_t offset, std::size_t width, char first) {
  for (std::size_t i = 0; i < width; ++i)
    d.Bytes[offset + i] = static_cast<std::uint8_t>(first + static_cast<char>(i % 26));
}

}  // namespace

bool ParseHostileKinds(std::string_view text, unsigned& kinds, std::string& error) {
  unsigned parsed = 0;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view name = text.substr(0, comma);
    bool known = false;
    if (name == "malformed") {
      parsed |= kHostileMalformed;
      known = true;
    }
    for (const KindName& k : kKindNames) {
      if (name == k.Name) {
        parsed |= k.Bit;
        known = true;
      }
    }
    if (!known) {
      error = "unknown hostile kind '" + std::string(name) + "'";
      return false;
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (parsed == 0) {
    error = "no hostile kind given";
    return false;
  }
  kinds = parsed;
  return true;
}

std::string HostileKindsText(unsigned kinds) {
  std::string text;
  for (const KindName& k : kKindNames) {
    if ((kinds & k.Bit) == 0) continue;
    if (!text.empty()) text += ',';
    text += k.Name;
  }
  return text.empty() ? "-" : text;
}

void AppendMalformedReplies(const GatewaySetup& gateway, unsigned kinds,
                            std::vector<Datagram>& out) {
  if (kinds & HostileLengthField) {
    Datagram low = Variant(gateway, "length-field-185");
    SetLengthField(low, kGatewayInfoReplyLength - 1);
    out.push_back(low);
    Datagram high = Variant(gateway, "length-field-187");
    SetLengthField(high, kGatewayInfoReplyLength + 1);
    out.push_back(high);
  }
  if (kinds & HostileShort) {
    Datagram d = Variant(gateway, "short-100");
    d.Size = kShortReplyLength;
    out.push_back(d);
  }
  if (kinds & HostileLong) {
    for (const std::size_t size : {kLongReplyLength, kOverlongReplyLength}) {
      Datagram d = Variant(gateway, size == kLongReplyLength ? "long-255" : "long-300");
      std::memset(d.Bytes.data() + kGatewayInfoReplyLength, 0xEE, size - kGatewayInfoReplyLength);
      d.Size = size;
      out.push_back(d);
    }
  }
  if (kinds & HostileNoNul) {
    Datagram d = Variant(gateway, "no-nul");
    for (const char* key : {"name", "server", "proxy"}) {
      const SettingField& text = *FindSetting(key);
      FillWithoutNul(d, kReplySettingsOffset + text.Offset, text.Width, key[0] == 's' ? 'a' : 'A');
    }
    out.push_back(d);
  }
  if (kinds & HostileBadCommand) {
    // A set-config request as a module would see it: right length for its own command.
    Datagram config;
    config.Kind = "command-0x04";
    const auto request = BuildSetConfigRequest(gateway.Record);
    std::memcpy(config.Bytes.data(), request.data(), request.size());
    config.Size = request.size();
    out.push_back(config);
    Datagram other = Variant(gateway, "command-0x02");
    other.Bytes[1] = 0x02;
    out.push_back(other);
  }
  if (kinds & HostileBadFirstByte) {
    Datagram d = Variant(gateway, "first-byte-0x01");
    d.Bytes[0] = 0x01;
    out.push_back(d);
  }
}

void AppendManyMacReplies(const GatewaySetup& model, int count, std::vector<Datagram>& out) {
  GatewaySetup fake = model;
  std::memcpy(fake.Record.Mac, kManyMacsBase, 6);
  for (int i = 1; i <= count; ++i) {
    std::snprintf(fake.Record.Name, sizeof fake.Record.Name, "many-%d", i);
    Datagram d = GatewayReply(fake);
    d.Kind = "many-macs";
    out.push_back(d);
    AdvanceMac(fake.Record.Mac, 1);
  }
}
