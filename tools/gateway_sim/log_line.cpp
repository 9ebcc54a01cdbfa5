#include "tools/gateway_sim/log_line.h"

#include <arpa/inet.h>
#include <time.h>

#include <cstdio>

#include "protocol/gateway_record.h"
#include "protocol/text_values.h"

namespace {

std::string WallClockText() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(now.tv_nsec / 1000000));
  return text;
}

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

LogLine::LogLine(std::string_view event) {
  text_ = WallClockText();
  text_ += ' ';
  text_ += event;
}

void LogLine::Key(std::string_view key) {
  text_ += ' ';
  text_ += key;
  text_ += '=';
}

LogLine& LogLine::Add(std::string_view key, std::string_view value) {
  Key(key);
  text_ += value;
  return *this;
}

LogLine& LogLine::Number(std::string_view key, std::uint64_t value) {
  return Add(key, std::to_string(value));
}

LogLine& LogLine::Hex(std::string_view key, std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return Add(key, text);
}

LogLine& LogLine::Quoted(std::string_view key, std::string_view text) {
  Key(key);
  text_ += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      text_ += c;
    } else {
      text_ += "\\x";
      text_ += kHexDigits[byte >> 4];
      text_ += kHexDigits[byte & 0x0F];
    }
  }
  text_ += '"';
  return *this;
}

LogLine& LogLine::Ip(std::string_view key, Ipv4 ip) {
  return Add(key, DottedQuad(ip));
}

LogLine& LogLine::Endpoint(std::string_view key, const sockaddr_in& address) {
  return Add(key, EndpointText(address));
}

LogLine& LogLine::Mac(std::string_view key, const std::uint8_t mac[6]) {
  char text[kMacTextSize];
  FormatMacText(mac, text);
  return Quoted(key, text);
}

LogLine& LogLine::Bytes(std::string_view key, const std::uint8_t* bytes, std::size_t count) {
  Key(key);
  for (std::size_t i = 0; i < count; ++i) {
    text_ += kHexDigits[bytes[i] >> 4];
    text_ += kHexDigits[bytes[i] & 0x0F];
  }
  return *this;
}

void LogLine::Emit() const {
  std::fwrite(text_.data(), 1, text_.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string EndpointText(const sockaddr_in& address) {
  return DottedQuad(Ipv4::FromNumber(ntohl(address.sin_addr.s_addr))) + ":" +
         std::to_string(ntohs(address.sin_port));
}
