#include <cstring>

#include "platform/socket_layer.h"
#include "protocol/dotted_quad.h"

std::uint32_t NetworkToHostLong(std::uint32_t value) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &value, 4);
  return (static_cast<std::uint32_t>(bytes[0]) << 24) |
         (static_cast<std::uint32_t>(bytes[1]) << 16) |
         (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

namespace {

// Parses a.b.c.d with each part 0..255 and nothing else; writes the host-order value.
bool ParseDotted(const char* text, std::uint32_t& value) {
  if (text == nullptr) return false;
  std::uint32_t result = 0;
  const char* p = text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (*p != '.') return false;
      ++p;
    }
    int digits = 0;
    std::uint32_t number = 0;
    while (*p >= '0' && *p <= '9') {
      number = number * 10 + static_cast<std::uint32_t>(*p - '0');
      if (++digits > 3) return false;
      ++p;
    }
    if (digits == 0 || number > 255) return false;
    result = (result << 8) | number;
  }
  if (*p != 0) return false;
  value = result;
  return true;
}

}  // namespace

std::uint32_t TINetSocketAddress::ConvertAddress(const char* dotted) {
  std::uint32_t value = 0;
  if (!ParseDotted(dotted, value)) return 0xFFFFFFFFu;
  return HostToNetworkLong(value);
}

std::string TINetSocketAddress::ConvertAddress(std::uint32_t networkAddress) {
  return DottedQuad(NetworkToHostLong(networkAddress));
}

bool TINetSocketAddress::IsAddressDottedDecimal(const char* text) {
  std::uint32_t value = 0;
  return ParseDotted(text, value);
}

std::string TSocketError::GetReasonString() const {
  std::string text = Layer.GetReasonString(Error);
  if (MaxLength > 0 && text.size() > static_cast<std::size_t>(MaxLength - 1)) {
    text.resize(static_cast<std::size_t>(MaxLength - 1));
  }
  return text;
}
