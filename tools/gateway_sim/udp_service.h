#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/outgoing_queue.h"
#include "tools/gateway_sim/poll_set.h"
#include "tools/gateway_sim/reply_faults.h"

// The gateways' UDP side: receives requests, logs each one, lets the model carry it out and
// sends the answers to searches through the fault plan and the send queue.
class UdpService {
 public:
  UdpService(const SimOptions& options, GatewayModel& model);
  ~UdpService();
  UdpService(const UdpService&) = delete;
  UdpService& operator=(const UdpService&) = delete;

  bool Open(std::string& error);
  sockaddr_in LocalAddress() const { return local_; }

  void Prepare(PollSet& set);
  // Reads what arrived, then sends what is due.
  void Dispatch(const PollSet& set, std::int64_t nowMs);

  std::uint64_t Requests() const { return requests_; }
  std::uint64_t Malformed() const { return malformed_; }
  std::uint64_t Sent() const { return sent_; }

 private:
  // Size of the receive buffer; a longer datagram is read up to it and logged with its full
  // length.
  static constexpr std::size_t kReceiveBuffer = 2048;
  // Datagrams read per turn of the loop, so a request flood cannot starve the TCP clients.
  static constexpr int kReadsPerTurn = 64;
  static constexpr std::uint64_t kStreamBurst = 256;

  void ReceiveWaiting(std::int64_t nowMs);
  void Handle(const sockaddr_in& from, std::size_t length, std::size_t count, std::int64_t nowMs);
  sockaddr_in ReplyDestination(const sockaddr_in& from) const;
  void Schedule(const Datagram& message, const sockaddr_in& to, std::int64_t nowMs);
  void SendDue(std::int64_t nowMs);
  void StreamDue(std::int64_t nowMs);
  std::int64_t StreamNextMs() const;
  // False when the socket would block; the datagram is then to be tried again.
  bool Send(const Datagram& message, const sockaddr_in& to);

  const SimOptions& options_;
  GatewayModel& model_;
  int fd_ = -1;
  sockaddr_in local_{};
  std::size_t pollIndex_ = 0;
  bool blocked_ = false;
  std::array<std::uint8_t, kReceiveBuffer> buffer_{};
  OutgoingQueue queue_;
  ReplyFaults faults_;

  bool streamActive_ = false;
  sockaddr_in streamTo_{};
  std::int64_t streamStartMs_ = 0;
  std::int64_t streamEndMs_ = 0;
  std::uint64_t streamSent_ = 0;

  std::uint64_t requests_ = 0;
  std::uint64_t malformed_ = 0;
  std::uint64_t sent_ = 0;
  bool queueFullLogged_ = false;
};
