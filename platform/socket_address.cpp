#include <cstring>

#include "platform/socket_layer.h"
#include "protocol/text_values.h"

std::uint32_t NetworkToHostLong(std::uint32_t value) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &value, 4);
  return (static_cast<std::uint32_t>(bytes[0]) << 24) |
         (static_cast<std::uint32_t>(bytes[1]) << 16) |
         (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

std::uint32_t TINetSocketAddress::ConvertAddress(const char* dotted) {
  const auto value = dotted != nullptr ? ParseDottedQuad(dotted) : std::nullopt;
  return value ? HostToNetworkLong(*value) : 0xFFFFFFFFu;
}

std::string TINetSocketAddress::ConvertAddress(std::uint32_t networkAddress) {
  return DottedQuad(NetworkToHostLong(networkAddress));
}

bool TINetSocketAddress::IsAddressDottedDecimal(const char* text) {
  return text != nullptr && ParseDottedQuad(text).has_value();
}

std::string TSocketError::GetReasonString() const {
  std::string text = Layer.GetReasonString(Error);
  if (MaxLength > 0 && text.size() > static_cast<std::size_t>(MaxLength - 1)) {
    text.resize(static_cast<std::size_t>(MaxLength - 1));
  }
  return text;
}
