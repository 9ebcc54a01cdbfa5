#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "protocol/gateway_record.h"

// A module's network settings, one row per field: where it travels in the settings block, the
// window's control for it and that control's text limit, and the word the command line, the
// record and the log call it. Whatever reads, writes, shows, checks or describes the settings
// walks these rows, so a new setting is a new row.

enum class SettingKind { Address, Flag, Text, Port };

struct SettingField {
  const char* Key;    // the command line's word, the key in the record and the log
  const char* Label;  // how a refusal names it ("IP octet 4", "Port")
  SettingKind Kind;
  std::size_t Offset;  // in the settings block
  std::size_t Width;   // on the wire, a text's NUL included
  int TextLimit;       // of the window's edit (of each octet's), the NUL included; 0: a check box
  int ControlId;       // the edit or check box; an address's first octet, the others below it
  const char* Help;    // for the command line
  // The record's field, by kind.
  Ipv4 GatewayRecord::*Address = nullptr;
  std::uint8_t GatewayRecord::*Flag = nullptr;
  std::uint32_t GatewayRecord::*Number = nullptr;
  std::span<char> (*Text)(GatewayRecord&) = nullptr;

  constexpr int Parts() const { return Kind == SettingKind::Address ? 4 : 1; }
  std::string_view TextOf(const GatewayRecord& record) const;
};

// In the order the window reads them and the log and the command line list them.
inline constexpr std::array<SettingField, 10> kSettingFields = {{
    {"ip", "IP", SettingKind::Address, 1, 4, 4, 11222, "the address it is to use",
     &GatewayRecord::Ip},
    {"netmask", "Netmask", SettingKind::Address, 5, 4, 4, 11218, "its netmask",
     &GatewayRecord::Netmask},
    {"gateway", "Gateway", SettingKind::Address, 9, 4, 4, 11214, "its default gateway",
     &GatewayRecord::GatewayIp},
    {"dns", "DNS IP", SettingKind::Address, 167, 4, 4, 11252, "its DNS server",
     &GatewayRecord::DnsIp},
    {"dhcp", "Use DHCP", SettingKind::Flag, 0, 1, 0, 11223, "0 or 1: take an address by DHCP",
     nullptr, &GatewayRecord::UseDhcp},
    {"name", "Name", SettingKind::Text, 13, 21, 21, 11203, "its name, at most 20 characters",
     nullptr, nullptr, nullptr, [](GatewayRecord& r) { return std::span<char>(r.Name); }},
    {"server", "Server", SettingKind::Text, 34, 65, 65, 11235, "its server, at most 64 characters",
     nullptr, nullptr, nullptr, [](GatewayRecord& r) { return std::span<char>(r.Server); }},
    {"use-proxy", "Use proxy", SettingKind::Flag, 99, 1, 0, 11242,
     "0 or 1: reach the server through the proxy", nullptr, &GatewayRecord::UseProxy},
    {"proxy", "Proxy", SettingKind::Text, 100, 65, 65, 11243,
     "the proxy server, at most 64 characters", nullptr, nullptr, nullptr,
     [](GatewayRecord& r) { return std::span<char>(r.ProxyServer); }},
    {"port", "Port", SettingKind::Port, 165, 2, 6, 11036, "its port, 0 to 65535", nullptr, nullptr,
     &GatewayRecord::Port},
}};

// The parts of all fields together (an address has four), and where a field's first part
// stands among them.
inline constexpr std::size_t kSettingPartCount = [] {
  std::size_t parts = 0;
  for (const SettingField& field : kSettingFields)
    parts += static_cast<std::size_t>(field.Parts());
  return parts;
}();
constexpr std::size_t FirstPartOf(std::size_t fieldIndex) {
  std::size_t part = 0;
  for (std::size_t i = 0; i < fieldIndex; ++i)
    part += static_cast<std::size_t>(kSettingFields[i].Parts());
  return part;
}

// The row of the key; nullptr when there is none.
const SettingField* FindSetting(std::string_view key);
// The row of the key, and its place, at compile time (an unknown key does not compile).
consteval std::size_t SettingIndex(std::string_view key) {
  for (std::size_t i = 0; i < kSettingFields.size(); ++i)
    if (std::string_view(kSettingFields[i].Key) == key) return i;
  throw "no such setting";
}
consteval const SettingField& Setting(std::string_view key) {
  return kSettingFields[SettingIndex(key)];
}
