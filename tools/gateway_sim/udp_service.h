#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/event_loop.h"
#include "tools/gateway_sim/deadline_timer.h"
#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/outgoing_queue.h"
#include "tools/gateway_sim/reboot_ends.h"
#include "tools/gateway_sim/reply_faults.h"

// The gateways' UDP side: receives requests, logs each one, lets the model carry it out and
// sends the answers to searches through the fault plan and the send queue. Runs on the event
// loop: reads when a datagram waits, sends when an answer is due, and while the socket's send
// buffer is full waits for it to take more.
class UdpService {
 public:
  UdpService(TEventLoop& loop, const SimOptions& options, GatewayModel& model);
  ~UdpService();
  UdpService(const UdpService&) = delete;
  UdpService& operator=(const UdpService&) = delete;

  // Opens the socket and starts serving it.
  bool Open(std::string& error);
  sockaddr_in LocalAddress() const { return local_; }

  std::uint64_t Requests() const { return requests_; }
  std::uint64_t Malformed() const { return malformed_; }
  std::uint64_t Sent() const { return sent_; }

 private:
  // Size of the receive buffer; a longer datagram is read up to it and logged with its full
  // length.
  static constexpr std::size_t kReceiveBuffer = 2048;
  // Datagrams read per pass of the loop, so a request flood cannot starve the TCP clients.
  static constexpr int kReadsPerPass = 64;
  // Stream datagrams sent per pass, for the same reason.
  static constexpr std::uint64_t kStreamBurst = 256;

  void OnReadable();
  void OnWritable();
  // Sends what is due, then waits for what comes next: the socket, or the next send time.
  void SendWhatIsDue();
  void ReceiveWaiting(std::int64_t nowMs);
  void Handle(const sockaddr_in& from, std::size_t length, std::size_t count, std::int64_t nowMs);
  sockaddr_in ReplyDestination(const sockaddr_in& from) const;
  void Schedule(const Datagram& message, const sockaddr_in& to, std::int64_t nowMs);
  void SendDue(std::int64_t nowMs);
  void StreamDue(std::int64_t nowMs);
  std::int64_t StreamNextMs() const;
  // False when the socket would block; the datagram is then to be tried again.
  bool Send(const Datagram& message, const sockaddr_in& to);

  TEventLoop& loop_;
  const SimOptions& options_;
  GatewayModel& model_;
  RebootEnds reboots_;
  DeadlineTimer sendTimer_;
  int fd_ = -1;
  int readWatch_ = 0;
  int writeWatch_ = 0;  // enabled while blocked
  sockaddr_in local_{};
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
