#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/poll_set.h"

// The gateways' TCP port: accepts clients and sends them CR LF terminated text lines, paced
// by the poll loop. Writes never block; a slow client only fills its own buffer, and a client
// that goes away is closed without disturbing the others.
class TcpLineServer {
 public:
  TcpLineServer(const TcpLineOptions& options, const GatewayModel& model);
  ~TcpLineServer();
  TcpLineServer(const TcpLineServer&) = delete;
  TcpLineServer& operator=(const TcpLineServer&) = delete;

  bool Open(std::uint32_t ip, std::uint16_t port, const std::string& interface, std::string& error);
  sockaddr_in LocalAddress() const { return local_; }

  void Prepare(PollSet& set, std::int64_t nowMs);
  void Dispatch(const PollSet& set, std::int64_t nowMs);

 private:
  static constexpr std::size_t kOutBuffer = 65536;
  static constexpr std::size_t kMaxLine = 8192 + 2;  // longest flood line and its CR LF

  struct Client {
    int Fd = -1;
    sockaddr_in Peer{};
    std::uint32_t LocalIp = 0;
    std::array<char, kOutBuffer> Out{};
    std::size_t Head = 0;  // first byte not yet sent
    std::size_t Tail = 0;  // end of the queued bytes
    std::uint64_t Lines = 0;
    std::uint64_t Bytes = 0;
    std::int64_t StartMs = 0;
    std::int64_t NextLineMs = 0;
    bool Done = false;  // close mode: every line is queued; close once they are sent
    bool Closed = false;
    std::size_t PollIndex = 0;
  };

  void Accept(std::int64_t nowMs);
  void Serve(Client& client, std::int64_t nowMs);
  void Queue(Client& client, std::int64_t nowMs);
  bool Append(Client& client, const char* text, std::size_t length);
  std::size_t StatusLine(const Client& client, std::int64_t nowMs, char* out,
                         std::size_t size) const;
  std::size_t FloodLine(std::uint64_t number, char* out) const;
  void Flush(Client& client);
  void Discard(Client& client);
  void Close(Client& client, const char* reason);
  std::int64_t NextWakeMs(const Client& client) const;

  TcpLineOptions options_;
  const GatewayModel& model_;
  int listenFd_ = -1;
  sockaddr_in local_{};
  std::size_t listenIndex_ = 0;
  std::int64_t startMs_ = -1;
  std::vector<std::unique_ptr<Client>> clients_;
};
