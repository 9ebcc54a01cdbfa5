#include <cstring>

#include "protocol/byte_order.h"
#include "protocol/messages.h"
#include "protocol/settings_block.h"

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Header(GatewayCommand command, const std::uint8_t mac[6]) {
  std::array<std::uint8_t, N> bytes{};
  bytes[0] = 0x00;
  bytes[1] = command;
  if (mac != nullptr) std::memcpy(bytes.data() + 2, mac, 6);
  PutU16(bytes.data() + 8, static_cast<std::uint32_t>(N));
  return bytes;
}

}  // namespace

std::array<std::uint8_t, kSearchRequestLength> BuildSearchRequest() {
  return Header<kSearchRequestLength>(CmdSearchRequest, nullptr);
}

std::array<std::uint8_t, kSetConfigRequestLength> BuildSetConfigRequest(
    const GatewayRecord& record) {
  auto bytes = Header<kSetConfigRequestLength>(CmdSetConfigRequest, record.Mac);
  EncodeSettingsBlock(record, bytes.data() + kSetConfigSettingsOffset);
  return bytes;
}

std::array<std::uint8_t, kRebootRequestLength> BuildRebootRequest(const GatewayRecord& record) {
  return Header<kRebootRequestLength>(CmdRebootRequest, record.Mac);
}

std::array<std::uint8_t, kSetMacRequestLength> BuildSetMacRequest(
    const GatewayRecord& record, std::span<const std::uint8_t, 6> newMac) {
  auto bytes = Header<kSetMacRequestLength>(CmdSetMacRequest, record.Mac);
  std::memcpy(bytes.data() + kHeaderLength, newMac.data(), newMac.size());
  return bytes;
}

std::array<std::uint8_t, kSetEepromRequestLength> BuildSetEepromRequest(const GatewayRecord& record,
                                                                        std::uint32_t address,
                                                                        std::uint32_t value) {
  auto bytes = Header<kSetEepromRequestLength>(CmdSetEepromRequest, record.Mac);
  PutU16(bytes.data() + 10, address);
  bytes[12] = static_cast<std::uint8_t>(value & 0xFF);
  return bytes;
}
