#include <cstring>

#include "protocol/byte_order.h"
#include "protocol/messages.h"
#include "protocol/settings_block.h"

std::size_t RequestLength(std::uint8_t command) {
  switch (command) {
    case CmdSearchRequest:
      return kSearchRequestLength;
    case CmdSetConfigRequest:
      return kSetConfigRequestLength;
    case CmdRebootRequest:
      return kRebootRequestLength;
    case CmdSetMacRequest:
      return kSetMacRequestLength;
    case CmdSetEepromRequest:
      return kSetEepromRequestLength;
    default:
      return 0;
  }
}

bool DecodeGatewayRequest(std::span<const std::uint8_t> received, GatewayRequest& out) {
  if (received.size() < kHeaderLength) return false;
  const std::uint8_t* bytes = received.data();
  if (bytes[0] != 0x00) return false;
  const std::size_t expected = RequestLength(bytes[1]);
  if (expected == 0 || GetU16(bytes + 8) != expected || received.size() < expected) return false;

  out = GatewayRequest{};
  out.Command = static_cast<GatewayCommand>(bytes[1]);
  std::memcpy(out.Mac, bytes + 2, 6);
  switch (out.Command) {
    case CmdSetConfigRequest:
      DecodeSettingsBlock(bytes + kSetConfigSettingsOffset, out.Settings);
      break;
    case CmdSetMacRequest:
      std::memcpy(out.NewMac, bytes + kHeaderLength, 6);
      break;
    case CmdSetEepromRequest:
      out.EepromAddress = static_cast<std::uint16_t>(GetU16(bytes + 10));
      out.EepromValue = bytes[12];
      break;
    default:
      break;
  }
  return true;
}

std::array<std::uint8_t, kGatewayInfoReplyLength> BuildGatewayInfoReply(const GatewayRecord& record,
                                                                        std::uint8_t spare) {
  std::array<std::uint8_t, kGatewayInfoReplyLength> bytes{};
  bytes[1] = CmdGatewayInfoReply;
  std::memcpy(bytes.data() + 2, record.Mac, 6);
  PutU16(bytes.data() + 8, kGatewayInfoReplyLength);
  bytes[10] = spare;
  PutIpv4(bytes.data() + kReplyActualIpOffset, record.ActualIp);
  EncodeSettingsBlock(record, bytes.data() + kReplySettingsOffset);
  return bytes;
}

const char* GatewayCommandName(std::uint8_t command) {
  switch (command) {
    case CmdSearchRequest:
      return "SearchRequest";
    case CmdGatewayInfoReply:
      return "GatewayInfoReply";
    case CmdSetConfigRequest:
      return "SetConfigRequest";
    case CmdRebootRequest:
      return "RebootRequest";
    case CmdSetMacRequest:
      return "SetMacRequest";
    case CmdSetEepromRequest:
      return "SetEepromRequest";
    default:
      return "Unknown";
  }
}
