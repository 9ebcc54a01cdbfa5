#include "bench/udp_replies/reply_flooder.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "protocol/messages.h"
#include "tests/support/netns.h"

namespace {

enum class Order : int { AwaitSearch, Flood, Quit };

struct Command {
  Order What;
  int TimeoutMs;
  sockaddr_in To;
  FloodPlan Plan;
};

struct Answer {
  bool Ok;
  sockaddr_in From;
  FloodResult Result;
};

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int OpenGatewaySocket(const std::string& interface) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, interface.c_str(),
                 static_cast<socklen_t>(interface.size())) != 0) {
    close(fd);
    return -1;
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(kGatewayPort);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool AwaitSearchRequest(int fd, int timeoutMs, sockaddr_in& from) {
  const std::int64_t deadline = NowNs() + std::int64_t{timeoutMs} * 1000000;
  for (;;) {
    const std::int64_t left = (deadline - NowNs()) / 1000000;
    pollfd p{fd, POLLIN, 0};
    if (left < 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    std::uint8_t bytes[2048];
    socklen_t length = sizeof from;
    const ssize_t got = recvfrom(fd, bytes, sizeof bytes, MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &length);
    GatewayRequest request{};
    if (got > 0 && DecodeGatewayRequest(std::span(bytes, static_cast<std::size_t>(got)), request) &&
        request.Command == CmdSearchRequest) {
      return true;
    }
  }
}

FloodResult Flood(int fd, const sockaddr_in& to, const FloodPlan& plan) {
  const int distinct = plan.DistinctMacs > 0 ? plan.DistinctMacs : 1;
  const int burst = plan.Burst > 0 ? plan.Burst : 1;
  std::vector<std::array<std::uint8_t, kGatewayInfoReplyLength>> replies;
  replies.reserve(static_cast<std::size_t>(distinct));
  for (int i = 0; i < distinct; ++i)
    replies.push_back(BuildGatewayInfoReply(ReplyFlooder::Record(i)));

  sockaddr_in destination = to;
  std::vector<iovec> parts(static_cast<std::size_t>(burst));
  std::vector<mmsghdr> messages(static_cast<std::size_t>(burst));
  for (std::size_t j = 0; j < messages.size(); ++j) {
    std::memset(&messages[j], 0, sizeof messages[j]);
    messages[j].msg_hdr.msg_name = &destination;
    messages[j].msg_hdr.msg_namelen = sizeof destination;
    messages[j].msg_hdr.msg_iov = &parts[j];
    messages[j].msg_hdr.msg_iovlen = 1;
  }

  FloodResult result;
  result.StartNs = NowNs();
  const std::int64_t end = result.StartNs + static_cast<std::int64_t>(plan.Seconds * 1e9);
  std::size_t next = 0;  // index of the next reply to send
  for (;;) {
    const std::int64_t now = NowNs();
    if (now >= end) break;
    if (plan.Rate > 0) {
      // Paced: the next burst is due once the ones before it fit the rate.
      const auto due =
          result.StartNs + static_cast<std::int64_t>(static_cast<double>(result.Sent) * 1e9 /
                                                     static_cast<double>(plan.Rate));
      if (due > now) {
        const std::int64_t wait = std::min(due, end) - now;
        const timespec pause{static_cast<time_t>(wait / 1000000000), wait % 1000000000};
        nanosleep(&pause, nullptr);
        continue;
      }
    }
    for (std::size_t j = 0; j < parts.size(); ++j) {
      parts[j].iov_base = replies[(next + j) % replies.size()].data();
      parts[j].iov_len = kGatewayInfoReplyLength;
    }
    const int sent = sendmmsg(fd, messages.data(), static_cast<unsigned>(messages.size()), 0);
    if (sent < 0) {
      ++result.SendFailures;
      continue;
    }
    result.Sent += static_cast<std::uint64_t>(sent);
    next = (next + static_cast<std::size_t>(sent)) % replies.size();
  }
  result.EndNs = NowNs();
  return result;
}

[[noreturn]] void ServeCommands(int control, const std::string& netns,
                                const std::string& interface) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The benchmark's own clean-up on these signals is not the sender's business.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    ::signal(signal, SIG_DFL);
  const int ns = open(("/var/run/netns/" + netns).c_str(), O_RDONLY | O_CLOEXEC);
  const bool inside = ns >= 0 && setns(ns, CLONE_NEWNET) == 0;
  const int fd = inside ? OpenGatewaySocket(interface) : -1;
  Answer ready{fd >= 0, {}, {}};
  if (write(control, &ready, sizeof ready) != sizeof ready || fd < 0) _exit(1);
  for (;;) {
    Command command{};
    if (read(control, &command, sizeof command) != sizeof command) _exit(0);
    Answer answer{};
    switch (command.What) {
      case Order::AwaitSearch:
        answer.Ok = AwaitSearchRequest(fd, command.TimeoutMs, answer.From);
        break;
      case Order::Flood:
        answer.Result = Flood(fd, command.To, command.Plan);
        answer.Ok = true;
        break;
      case Order::Quit:
        _exit(0);
    }
    if (write(control, &answer, sizeof answer) != sizeof answer) _exit(1);
  }
}

}  // namespace

ReplyFlooder::ReplyFlooder(const std::string& netns, const std::string& interface) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
    Why = "socketpair failed";
    return;
  }
  Child = fork();
  if (Child == 0) {
    close(pair[0]);
    ServeCommands(pair[1], netns, interface);
  }
  close(pair[1]);
  if (Child < 0) {
    close(pair[0]);
    Why = "fork failed";
    return;
  }
  NamespaceLab::WatchChild(Child);
  Control = pair[0];
  Answer ready{};
  if (!Receive(&ready, sizeof ready, 5000) || !ready.Ok) {
    Why = "the sender could not bind UDP port 8003 on " + interface + " in " + netns;
    close(Control);
    Control = -1;
  }
}

ReplyFlooder::~ReplyFlooder() {
  if (Control >= 0) {
    const Command quit{Order::Quit, 0, {}, {}};
    if (write(Control, &quit, sizeof quit) < 0) kill(Child, SIGKILL);
    close(Control);
  }
  if (Child > 0) {
    // A flood under way ends by itself; do not wait for that.
    kill(Child, SIGKILL);
    waitpid(Child, nullptr, 0);
    NamespaceLab::ForgetChild(Child);
  }
}

bool ReplyFlooder::Receive(void* reply, std::size_t size, int timeoutMs) {
  pollfd p{Control, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return false;
  return read(Control, reply, size) == static_cast<ssize_t>(size);
}

bool ReplyFlooder::AwaitSearch(int timeoutMs, sockaddr_in& from) {
  if (!Ready()) return false;
  const Command command{Order::AwaitSearch, timeoutMs, {}, {}};
  if (write(Control, &command, sizeof command) != sizeof command) return false;
  Answer answer{};
  if (!Receive(&answer, sizeof answer, timeoutMs + 2000) || !answer.Ok) return false;
  from = answer.From;
  return true;
}

bool ReplyFlooder::Start(const sockaddr_in& to, const FloodPlan& plan) {
  if (!Ready()) return false;
  const Command command{Order::Flood, 0, to, plan};
  return write(Control, &command, sizeof command) == sizeof command;
}

bool ReplyFlooder::Finish(FloodResult& result, int timeoutMs) {
  Answer answer{};
  if (!Receive(&answer, sizeof answer, timeoutMs) || !answer.Ok) return false;
  result = answer.Result;
  return true;
}

GatewayRecord ReplyFlooder::Record(int index) {
  const auto n = static_cast<std::uint32_t>(index);
  GatewayRecord record = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {0x02,
                               0xBE,
                               0x00,
                               static_cast<std::uint8_t>(n >> 16),
                               static_cast<std::uint8_t>(n >> 8),
                               static_cast<std::uint8_t>(n)};
  std::memcpy(record.Mac, mac, sizeof mac);
  record.ActualIp = Ipv4::FromNumber(0x0A4D0000u | (100 + n % 150));  // 10.77.0.100 ...
  record.Ip = record.ActualIp;
  record.Netmask = Ipv4::FromNumber(0xFFFFFF00u);
  record.GatewayIp = Ipv4::FromNumber(0x0A4D0001u);
  record.DnsIp = Ipv4::FromNumber(0x0A4D0001u);
  record.Port = 80;
  std::snprintf(record.Name, sizeof record.Name, "bench-%d", index);
  return record;
}
