#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "protocol/ipv4.h"
#include "tools/gateway_sim/deadline_timer.h"
#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/options.h"

// The gateways' TCP port: accepts clients and sends them CR LF terminated text lines, paced
// by the event loop: a client is served when its next line is due and when its socket takes
// more (an unpaced flood whenever it does). Writes never block; a slow client only fills its
// own buffer, and a client that goes away is closed without disturbing the others.
class TcpLineServer {
 public:
  TcpLineServer(TEventLoop& loop, const TcpLineOptions& options, const GatewayModel& model);
  ~TcpLineServer();
  TcpLineServer(const TcpLineServer&) = delete;
  TcpLineServer& operator=(const TcpLineServer&) = delete;

  // Opens the listening socket and starts accepting.
  bool Open(Ipv4 ip, std::uint16_t port, const std::string& interface, std::string& error);
  sockaddr_in LocalAddress() const { return local_; }

 private:
  static constexpr std::size_t kOutBuffer = 65536;
  static constexpr std::size_t kMaxLine = 8192 + 2;  // longest flood line and its CR LF

  struct Client {
    int Fd = -1;
    sockaddr_in Peer{};
    Ipv4 LocalIp;
    std::array<char, kOutBuffer> Out{};
    std::size_t Head = 0;  // first byte not yet sent
    std::size_t Tail = 0;  // end of the queued bytes
    std::uint64_t Lines = 0;
    std::uint64_t Bytes = 0;
    std::int64_t StartMs = 0;
    std::int64_t NextLineMs = 0;
    bool Done = false;  // close mode: every line is queued; close once they are sent
    bool Closed = false;
    int ReadWatch = 0;
    int WriteWatch = 0;                      // enabled while the socket is to take more
    std::optional<DeadlineTimer> LineTimer;  // when the next line is due
  };

  void Accept();
  // Queues the lines that are due, sends what the socket takes, and waits for what comes next.
  void Serve(Client& client);
  void Queue(Client& client, std::int64_t nowMs);
  bool Append(Client& client, const char* text, std::size_t length);
  std::size_t StatusLine(const Client& client, std::int64_t nowMs, char* out,
                         std::size_t size) const;
  std::size_t FloodLine(std::uint64_t number, char* out) const;
  void Flush(Client& client);
  void Discard(Client& client);
  void Close(Client& client, const char* reason);
  // Forgets the closed clients; never from a callback of one of them.
  void EraseClosed();
  bool WantsWritable(const Client& client) const;
  std::int64_t NextLineMs(const Client& client) const;

  TEventLoop& loop_;
  TcpLineOptions options_;
  const GatewayModel& model_;
  int listenFd_ = -1;
  int listenWatch_ = 0;
  sockaddr_in local_{};
  std::int64_t startMs_ = 0;
  std::vector<std::unique_ptr<Client>> clients_;
  bool erasePosted_ = false;
};
