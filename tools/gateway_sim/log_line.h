#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/ipv4.h"

// One line of the simulator's stdout: "HH:MM:SS.mmm <event> key=value key=value ...".
// Texts are quoted, with '"', '\' and every byte outside printable ASCII escaped, so a line
// never breaks and can be split on blanks outside quotes.
class LogLine {
 public:
  explicit LogLine(std::string_view event);

  LogLine& Add(std::string_view key, std::string_view value);
  LogLine& Number(std::string_view key, std::uint64_t value);
  LogLine& Hex(std::string_view key, std::uint32_t value, int digits);  // key=0x00AB
  LogLine& Quoted(std::string_view key, std::string_view text);
  LogLine& Ip(std::string_view key, Ipv4 ip);
  LogLine& Endpoint(std::string_view key, const sockaddr_in& address);  // key=a.b.c.d:port
  LogLine& Mac(std::string_view key, const std::uint8_t mac[6]);        // key="02 00 .. 01"
  LogLine& Bytes(std::string_view key, const std::uint8_t* bytes, std::size_t count);

  const std::string& Text() const { return text_; }
  // Writes the line and a newline to stdout and flushes, so a reader sees it at once.
  void Emit() const;

 private:
  void Key(std::string_view key);
  std::string text_;
};

std::string EndpointText(const sockaddr_in& address);
