#include "tools/gateway_sim/udp_service.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "protocol/messages.h"
#include "tools/gateway_sim/hostile.h"
#include "tools/gateway_sim/log_line.h"
#include "tools/gateway_sim/request_log.h"
#include "tools/gateway_sim/search_answer.h"
#include "tools/gateway_sim/sim_clock.h"
#include "tools/gateway_sim/socket_setup.h"

UdpService::UdpService(TEventLoop& loop, const SimOptions& options, GatewayModel& model)
    : loop_(loop),
      options_(options),
      model_(model),
      reboots_(loop, model),
      sendTimer_(loop, [this] { SendWhatIsDue(); }),
      faults_(options.Faults) {}

UdpService::~UdpService() {
  if (fd_ < 0) return;
  loop_.RemoveWatch(readWatch_);
  loop_.RemoveWatch(writeWatch_);
  close(fd_);
}

bool UdpService::Open(std::string& error) {
  fd_ = OpenBoundSocket(SOCK_DGRAM, options_.BindIp, options_.UdpPort, options_.Interface, local_,
                        error);
  if (fd_ < 0) return false;
  const int on = 1;
  if (options_.Reply == ReplyMode::Broadcast &&
      setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    error = std::string("SO_BROADCAST: ") + std::strerror(errno);
    return false;
  }
  readWatch_ = loop_.AddWatch(fd_, TEventLoop::WatchKind::Read, [this] { OnReadable(); });
  writeWatch_ = loop_.AddWatch(fd_, TEventLoop::WatchKind::Write, [this] { OnWritable(); });
  loop_.EnableWatch(writeWatch_, false);
  return true;
}

void UdpService::OnReadable() {
  const std::int64_t nowMs = MonotonicMs();
  reboots_.Update(nowMs);  // a gateway whose reboot has ended hears these requests
  ReceiveWaiting(nowMs);
  reboots_.Update(nowMs);  // and the reboots these requests began end on time
  SendWhatIsDue();
}

void UdpService::OnWritable() {
  blocked_ = false;
  SendWhatIsDue();
}

void UdpService::SendWhatIsDue() {
  const std::int64_t nowMs = MonotonicMs();
  SendDue(nowMs);
  StreamDue(nowMs);
  loop_.EnableWatch(writeWatch_, blocked_);
  sendTimer_.At(blocked_ ? -1 : EarliestMs(queue_.NextDueMs(), StreamNextMs()));
}

void UdpService::ReceiveWaiting(std::int64_t nowMs) {
  for (int i = 0; i < kReadsPerPass; ++i) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    // MSG_TRUNC makes recvfrom return the datagram's full length even when it is cut to the
    // buffer.
    const ssize_t length = recvfrom(fd_, buffer_.data(), buffer_.size(), MSG_DONTWAIT | MSG_TRUNC,
                                    reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (length < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
      // An ICMP error from an earlier send is reported here; it concerns no request.
      if (errno == ECONNREFUSED || errno == EHOSTUNREACH || errno == ENETUNREACH) continue;
      LogLine("rx-error").Quoted("error", std::strerror(errno)).Emit();
      return;
    }
    const auto full = static_cast<std::size_t>(length);
    Handle(from, full, full < buffer_.size() ? full : buffer_.size(), nowMs);
    // What a request makes due at once is on the wire before the next request is read, so a
    // reader of the log knows that the answers to a request precede the next "rx" line.
    SendDue(nowMs);
  }
}

void UdpService::Handle(const sockaddr_in& from, std::size_t length, std::size_t count,
                        std::int64_t nowMs) {
  const std::uint8_t* bytes = buffer_.data();
  GatewayRequest request;
  if (!DecodeGatewayRequest(std::span(bytes, count), request)) {
    ++malformed_;
    MalformedLine(from, length, bytes, count).Emit();
    return;
  }
  ++requests_;
  const RequestResult result = model_.Handle(request, nowMs);
  RequestLine(from, request, result, model_.RebootMs(), length, bytes, count).Emit();
  if (request.Command != CmdSearchRequest || result.Gateways.empty()) return;

  const sockaddr_in to = ReplyDestination(from);
  for (const Datagram& message : BuildSearchAnswer(model_, result.Gateways, options_.Hostile))
    Schedule(message, to, nowMs);
  if (options_.Hostile.Kinds & HostileStream) {
    streamActive_ = true;
    streamTo_ = to;
    streamStartMs_ = nowMs;
    streamEndMs_ = nowMs + options_.Hostile.StreamMs;
    streamSent_ = 0;
  }
}

sockaddr_in UdpService::ReplyDestination(const sockaddr_in& from) const {
  sockaddr_in to = from;
  if (options_.Reply == ReplyMode::Broadcast)
    to.sin_addr.s_addr = htonl(kLimitedBroadcast.Number());
  return to;
}

void UdpService::Schedule(const Datagram& message, const sockaddr_in& to, std::int64_t nowMs) {
  std::int64_t due[ReplyFaults::kMaxCopies];
  const std::size_t copies = faults_.Plan(nowMs, due, ReplyFaults::kMaxCopies);
  for (std::size_t i = 0; i < copies; ++i) {
    if (queue_.Push(due[i], to, message)) continue;
    if (!queueFullLogged_) {
      LogLine("tx-error")
          .Endpoint("to", to)
          .Add("kind", message.Kind)
          .Quoted("error", "send queue full")
          .Emit();
      queueFullLogged_ = true;
    }
  }
}

void UdpService::SendDue(std::int64_t nowMs) {
  while (!blocked_ && !queue_.Empty() && queue_.NextDueMs() <= nowMs) {
    const OutgoingQueue::Entry& entry = queue_.Front();
    if (!Send(entry.Message, entry.To)) return;
    queue_.Pop();
  }
  if (queue_.Empty()) queueFullLogged_ = false;
}

void UdpService::StreamDue(std::int64_t nowMs) {
  if (!streamActive_) return;
  const std::int64_t until = nowMs < streamEndMs_ ? nowMs : streamEndMs_;
  const auto elapsed = static_cast<std::uint64_t>(until - streamStartMs_);
  const std::uint64_t due =
      elapsed * static_cast<std::uint64_t>(options_.Hostile.StreamRate) / 1000 + 1;
  const auto& gateways = model_.Gateways();
  std::uint64_t burst = 0;
  while (streamSent_ < due && burst < kStreamBurst && !blocked_) {
    // The running gateways take turns.
    const SimGateway* sender = nullptr;
    for (std::size_t k = 0; k < gateways.size() && sender == nullptr; ++k) {
      const SimGateway& g = gateways[(streamSent_ + k) % gateways.size()];
      if (!g.Rebooting) sender = &g;
    }
    if (sender == nullptr) break;
    Datagram message = GatewayReply(sender->Setup);
    message.Kind = "stream";
    if (!Send(message, streamTo_)) return;
    ++streamSent_;
    ++burst;
  }
  if (nowMs >= streamEndMs_ && streamSent_ >= due) streamActive_ = false;
}

std::int64_t UdpService::StreamNextMs() const {
  if (!streamActive_) return -1;
  const auto rate = static_cast<std::uint64_t>(options_.Hostile.StreamRate);
  const std::int64_t next =
      streamStartMs_ + static_cast<std::int64_t>((streamSent_ * 1000 + rate - 1) / rate);
  return next < streamEndMs_ ? next : streamEndMs_;
}

bool UdpService::Send(const Datagram& message, const sockaddr_in& to) {
  const ssize_t sent = sendto(fd_, message.Bytes.data(), message.Size, MSG_DONTWAIT | MSG_NOSIGNAL,
                              reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (sent < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) {
      blocked_ = true;
      return false;
    }
    LogLine("tx-error")
        .Endpoint("to", to)
        .Add("kind", message.Kind)
        .Quoted("error", std::strerror(errno))
        .Emit();
    return true;  // dropped: trying again would fail the same way
  }
  ++sent_;
  if (options_.LogReplies) {
    LogLine line("tx");
    line.Endpoint("to", to).Add("kind", message.Kind).Number("len", message.Size);
    if (message.Size >= kHeaderLength) line.Mac("mac", message.Bytes.data() + 2);
    line.Emit();
  }
  return true;
}
