#include <cstring>

#include "protocol/byte_order.h"
#include "protocol/messages.h"
#include "protocol/settings_block.h"

bool ParseGatewayInfoReply(const std::uint8_t* bytes, std::size_t count, std::uint16_t sourcePort,
                           ParsedReply& out) {
  if (sourcePort != kGatewayPort) return false;
  // Bytes beyond the received count are undefined; a short datagram is never decoded.
  if (bytes == nullptr || count < kGatewayInfoReplyLength) return false;
  if (bytes[0] != 0x00 || bytes[1] != CmdGatewayInfoReply) return false;
  if (GetU16(bytes + 8) != kGatewayInfoReplyLength) return false;

  GatewayRecord& record = out.Record;
  record = kEmptyGatewayRecord;
  std::memcpy(record.Mac, bytes + 2, 6);
  FormatMacText(record.Mac, out.MacText);
  record.ActualIp = GetU32(bytes + kReplyActualIpOffset);
  DecodeSettingsBlock(bytes + kReplySettingsOffset, record);
  return true;
}
