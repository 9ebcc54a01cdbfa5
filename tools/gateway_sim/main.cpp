// vellora-gateway-sim: simulated Ethernet gateway modules for tests, demos and operator training.
// One thread, one event loop: the UDP service, the TCP line server, reboot ends, the stop
// signals and the optional run time all wake it through their descriptors or timers.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/posix/poll_event_loop.h"
#include "tools/gateway_sim/gateway_model.h"
#include "tools/gateway_sim/hostile.h"
#include "tools/gateway_sim/log_line.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/request_log.h"
#include "tools/gateway_sim/stop_signals.h"
#include "tools/gateway_sim/tcp_line_server.h"
#include "tools/gateway_sim/udp_service.h"
#include "tools/gateway_sim/usage_text.h"

namespace {

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
    std::fprintf(stderr, "%s: %s\n", kProgramName, error.c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(kUsageText, stdout);
    return 0;
  }
  std::signal(SIGPIPE, SIG_IGN);  // a client that went away must not end the simulator
  StopSignals stopSignals;
  if (!stopSignals.Open(error)) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, error.c_str());
    return 1;
  }

  PollEventLoop loop;
  GatewayModel model(options.Gateways, options.RebootMs, options.ReadOnly);
  UdpService udp(loop, options, model);
  if (!udp.Open(error)) {
    std::fprintf(stderr, "%s: UDP: %s\n", kProgramName, error.c_str());
    return 1;
  }
  std::unique_ptr<TcpLineServer> tcp;
  if (options.TcpEnabled) {
    tcp = std::make_unique<TcpLineServer>(loop, options.Tcp, model);
    if (!tcp->Open(options.TcpBindIp, options.TcpPort, options.Interface, error)) {
      std::fprintf(stderr, "%s: TCP: %s\n", kProgramName, error.c_str());
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

  const char* stopReason = "time";
  loop.AddWatch(stopSignals.Fd(), TEventLoop::WatchKind::Read, [&] {
    if (const char* name = stopSignals.Take()) {
      stopReason = name;
      loop.Quit();
    }
  });
  if (options.RunMs > 0)
    loop.StartTimer(std::chrono::milliseconds(options.RunMs), [&] { loop.Quit(); });
  loop.Run();
  LogLine("stop")
      .Add("reason", stopReason)
      .Number("requests", udp.Requests())
      .Number("malformed", udp.Malformed())
      .Number("sent", udp.Sent())
      .Emit();
  return 0;
}
