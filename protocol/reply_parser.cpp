#include <cstring>

#include "protocol/byte_order.h"
#include "protocol/messages.h"
#include "protocol/settings_block.h"

bool ParseGatewayInfoReply(std::span<const std::uint8_t> bytes, std::uint16_t sourcePort,
                           ParsedReply& out) {
  if (sourcePort != kGatewayPort) return false;
  // Bytes beyond the received count are undefined; a short datagram is never decoded.
  if (bytes.size() < kGatewayInfoReplyLength) return false;
  const std::uint8_t* at = bytes.data();
  if (at[0] != 0x00 || at[1] != CmdGatewayInfoReply) return false;
  if (GetU16(at + 8) != kGatewayInfoReplyLength) return false;

  GatewayRecord& record = out.Record;
  record = kEmptyGatewayRecord;
  std::memcpy(record.Mac, at + 2, 6);
  FormatMacText(record.Mac, out.MacText);
  record.ActualIp = GetIpv4(at + kReplyActualIpOffset);
  DecodeSettingsBlock(at + kReplySettingsOffset, record);
  return true;
}
