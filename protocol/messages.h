#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/gateway_record.h"
#include "protocol/ipv4.h"
#include "protocol/settings_fields.h"

// Wire format of the gateway protocol: one message per UDP datagram, a 10-byte header in
// both directions, big-endian numbers, addresses in dotted order.

inline constexpr std::uint16_t kGatewayPort = 8003;
inline constexpr Ipv4 kLimitedBroadcast = Ipv4::Broadcast();

enum GatewayCommand : std::uint8_t {
  CmdSearchRequest = 0x01,
  CmdGatewayInfoReply = 0x03,
  CmdSetConfigRequest = 0x04,
  CmdRebootRequest = 0x05,
  CmdSetMacRequest = 0x06,
  CmdSetEepromRequest = 0x07,
};

inline constexpr std::size_t kHeaderLength = 10;
inline constexpr std::size_t kSearchRequestLength = 10;
inline constexpr std::size_t kRebootRequestLength = 10;
inline constexpr std::size_t kSetMacRequestLength = 16;
inline constexpr std::size_t kSetEepromRequestLength = 13;

inline constexpr std::size_t kReplyActualIpOffset = 11;
inline constexpr std::size_t kReplySettingsOffset = 15;
inline constexpr std::size_t kSetConfigSettingsOffset = 10;
// The settings block ends with its last field; the two messages that carry it end with it.
inline constexpr std::size_t kSettingsBlockLength = [] {
  std::size_t end = 0;
  for (const SettingField& field : kSettingFields)
    end = field.Offset + field.Width > end ? field.Offset + field.Width : end;
  return end;
}();
inline constexpr std::size_t kGatewayInfoReplyLength = kReplySettingsOffset + kSettingsBlockLength;
inline constexpr std::size_t kSetConfigRequestLength =
    kSetConfigSettingsOffset + kSettingsBlockLength;

// --- Requests, as the tool builds them from the selected record ---

std::array<std::uint8_t, kSearchRequestLength> BuildSearchRequest();
std::array<std::uint8_t, kSetConfigRequestLength> BuildSetConfigRequest(
    const GatewayRecord& record);
std::array<std::uint8_t, kRebootRequestLength> BuildRebootRequest(const GatewayRecord& record);
std::array<std::uint8_t, kSetMacRequestLength> BuildSetMacRequest(
    const GatewayRecord& record, std::span<const std::uint8_t, 6> newMac);
// Only bits 15..0 of the address and bits 7..0 of the value travel.
std::array<std::uint8_t, kSetEepromRequestLength> BuildSetEepromRequest(const GatewayRecord& record,
                                                                        std::uint32_t address,
                                                                        std::uint32_t value);

// --- The one reply the tool understands ---

struct ParsedReply {
  GatewayRecord Record;
  char MacText[kMacTextSize];
};

// Checks source port, header, length field and received count, then decodes. Never reads
// beyond `count` bytes: a datagram shorter than a full reply is rejected even when its header
// passes. Returns false for anything that is not a gateway information reply.
bool ParseGatewayInfoReply(std::span<const std::uint8_t> bytes, std::uint16_t sourcePort,
                           ParsedReply& out);

// --- The gateway's side: decoding requests and building replies (simulator, tests) ---

struct GatewayRequest {
  GatewayCommand Command;
  std::uint8_t Mac[6];  // the gateway addressed; all zero in a search
  // Set-config: the settings carried (Mac and ActualIp left zero).
  GatewayRecord Settings;
  // Set-MAC.
  std::uint8_t NewMac[6];
  // Set-EEPROM.
  std::uint16_t EepromAddress;
  std::uint8_t EepromValue;
};

// The length a request of this command has; 0 for a code that is no request.
std::size_t RequestLength(std::uint8_t command);

// Accepts a request whose byte 0 is 0, whose command is a request code, whose length field
// matches that command and whose received count holds the whole message.
bool DecodeGatewayRequest(std::span<const std::uint8_t> bytes, GatewayRequest& out);

// `spare` is the one reply byte at offset 10 that the tool does not interpret.
std::array<std::uint8_t, kGatewayInfoReplyLength> BuildGatewayInfoReply(const GatewayRecord& record,
                                                                        std::uint8_t spare = 0);

const char* GatewayCommandName(std::uint8_t command);
