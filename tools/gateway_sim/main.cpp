// gateway_sim: simulated Ethernet gateway modules for tests, demos and operator training.
// One thread, one poll loop: the UDP service, the TCP line server, reboot ends and the
// optional run time all wake it through their descriptors or deadlines.
#include <poll.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/hostile.h"
#include "tools/gateway_sim/log_line.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/poll_set.h"
#include "tools/gateway_sim/request_log.h"
#include "tools/gateway_sim/sim_clock.h"
#include "tools/gateway_sim/tcp_line_server.h"
#include "tools/gateway_sim/udp_service.h"
#include "tools/gateway_sim/usage_text.h"

namespace {

volatile std::sig_atomic_t g_signal = 0;

void OnStopSignal(int number) {
  g_signal = number;
}

// SIGINT and SIGTERM stay blocked except inside ppoll, so a stop request can never slip in
// between the check of g_signal and the wait.
sigset_t InstallStopSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stop, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  return waitMask;
}

void LogReboots(GatewayModel& model, std::int64_t nowMs) {
  for (const std::size_t i : model.FinishReboots(nowMs))
    AwakeLine(i, model.Gateways()[i]).Emit();
}

const char* ReplyModeName(ReplyMode mode) {
  return mode == ReplyMode::Broadcast ? "broadcast" : "unicast";
}

const char* TcpModeName(TcpMode mode) {
  switch (mode) {
    case TcpMode::Status:
      return "status";
    case TcpMode::Flood:
      return "flood";
    case TcpMode::Close:
      return "close";
    case TcpMode::Silent:
      return "silent";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "gateway_sim: %s\n", error.c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(kUsageText, stdout);
    return 0;
  }
  const sigset_t waitMask = InstallStopSignals();

  GatewayModel model(options.Gateways, options.RebootMs);
  UdpService udp(options, model);
  if (!udp.Open(error)) {
    std::fprintf(stderr, "gateway_sim: UDP: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<TcpLineServer> tcp;
  if (options.TcpEnabled) {
    tcp = std::make_unique<TcpLineServer>(options.Tcp, model);
    if (!tcp->Open(options.TcpBindIp, options.TcpPort, options.Interface, error)) {
      std::fprintf(stderr, "gateway_sim: TCP: %s\n", error.c_str());
      return 1;
    }
  }

  for (std::size_t i = 0; i < model.Gateways().size(); ++i)
    GatewayLine(i, model.Gateways()[i]).Emit();
  LogLine("ready")
      .Endpoint("udp", udp.LocalAddress())
      .Add("tcp", tcp ? EndpointText(tcp->LocalAddress()) : "off")
      .Add("interface", options.Interface.empty() ? "-" : options.Interface)
      .Number("gateways", model.Gateways().size())
      .Add("reply", ReplyModeName(options.Reply))
      .Number("seed", options.Faults.Seed)
      .Add("hostile", HostileKindsText(options.Hostile.Kinds))
      .Add("tcp-mode", TcpModeName(options.Tcp.Mode))
      .Emit();

  const std::int64_t runUntilMs = options.RunMs > 0 ? MonotonicMs() + options.RunMs : -1;
  const char* stopReason = "time";
  PollSet set;
  for (;;) {
    if (g_signal != 0) {
      stopReason = g_signal == SIGINT ? "SIGINT" : "SIGTERM";
      break;
    }
    std::int64_t nowMs = MonotonicMs();
    LogReboots(model, nowMs);
    if (runUntilMs >= 0 && nowMs >= runUntilMs) break;

    set.Clear();
    udp.Prepare(set);
    if (tcp) tcp->Prepare(set, nowMs);
    set.WakeAt(model.NextRebootEndMs());
    set.WakeAt(runUntilMs);
    timespec timeout{};
    timespec* wait = nullptr;
    if (set.DeadlineMs() >= 0) {
      const std::int64_t ms = set.DeadlineMs() > nowMs ? set.DeadlineMs() - nowMs : 0;
      timeout.tv_sec = static_cast<time_t>(ms / 1000);
      timeout.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
      wait = &timeout;
    }
    if (ppoll(set.Data(), set.Size(), wait, &waitMask) < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "gateway_sim: poll: %s\n", std::strerror(errno));
      return 1;
    }
    nowMs = MonotonicMs();
    LogReboots(model, nowMs);  // a gateway whose reboot just ended hears this turn's requests
    udp.Dispatch(set, nowMs);
    if (tcp) tcp->Dispatch(set, nowMs);
  }
  LogLine("stop")
      .Add("reason", stopReason)
      .Number("requests", udp.Requests())
      .Number("malformed", udp.Malformed())
      .Number("sent", udp.Sent())
      .Emit();
  return 0;
}
