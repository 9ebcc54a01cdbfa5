#include <cstdio>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "protocol/windows1252.h"
#include "terminal/terminal_connection.h"

namespace {

// The terminal without a window: the module's lines to stdout, the connection's messages to
// stderr and the record; the loop ends when the connection does.
class Listener final : public TerminalConnection::Listener, public TMessageTarget {
 public:
  Listener(Session& session, PollEventLoop& loop) : Run(session), Loop(loop) {}
  void Attach(TerminalConnection& terminal) { Terminal = &terminal; }
  bool WasConnected() const { return Connected; }

  long WindowProc(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
    const unsigned event = LowWord(static_cast<std::uint64_t>(lParam));
    const unsigned error = HighWord(static_cast<std::uint64_t>(lParam));
    if (message == WM_HOST_LOOKUP_DONE) {
      Terminal->LookupFailed();
    } else if (message == WM_ADDRESS_CHANGE) {
      // The connection lives on the chosen interface: without it there is nothing to hear.
      Run.Refresh();
      if (Run.Lost()) Terminal->End();
    } else if (message == WM_SOCKET_NOTIFY && event == FD_READ) {
      if (error == 0) Terminal->ReadTcpData();
    } else if (message == WM_SOCKET_NOTIFY && event == FD_CONNECT) {
      Terminal->ConnectNotified(error);
    } else if (message == WM_SOCKET_NOTIFY && event == FD_CLOSE) {
      Terminal->CloseNotified(error);
    }
    return 1;
  }

 private:
  void OnTcpStateEntered(TcpState state) override {
    if (state == TcpState::Connected) Connected = true;
    if (state == TcpState::Idle) Loop.Quit();
  }
  void OnTerminalMessage(const std::string& line) override { Run.Say(line); }
  // A module's line may hold any byte: none may steer the operator's terminal.
  void OnTerminalLine(const char* line) override {
    if (!Run.Print(Windows1252ToVisibleUtf8(line))) Loop.Quit();
  }

  Session& Run;
  PollEventLoop& Loop;
  TerminalConnection* Terminal = nullptr;
  bool Connected = false;
};

}  // namespace

int ListenCommand(const std::vector<std::string>& words) {
  CommonOptions common;
  std::uint32_t ip = 0;
  double seconds = 0;
  CommandLine line("vellora-cli listen", "MAC|--ip A.B.C.D");
  common.AddTo(line);
  line.DottedQuad("ip", ip, {"A.B.C.D", "the module's address, instead of its MAC"})
      .Fraction("seconds", seconds, 0, 1e6,
                {"SECONDS", "stop after this long (default 0: when the module closes)"});
  if (const auto exit = ParseCommand(line, words)) return *exit;
  std::vector<std::string> operands = line.Positional();
  ModuleName name;
  std::string why;
  if (line.Given("ip") == !operands.empty())
    return BadUsage(line, "name the module by its MAC, or give --ip");
  if (!line.Given("ip") && !ReadModuleName(false, operands, name, why)) return BadUsage(line, why);
  if (!operands.empty()) return BadUsage(line, "unexpected argument '" + operands[0] + "'");
  Started started;
  if (const auto exit = Start(common, line, started)) return *exit;
  Session& session = *started.Run;
  if (!line.Given("ip")) {
    const std::optional<GatewayRecord> module = FindModule(session, name, common.Wait());
    if (!module) return session.Finish(kNotDone);
    ip = module->ActualIp;  // the address it uses now, as the window's "Connect" takes it
  }

  Listener listener(session, session.Loop());
  TerminalConnection terminal(session.Sockets(), session.HostInfo(), listener, listener);
  listener.Attach(terminal);
  const std::unique_ptr<TAddressWatch> watch =
      session.Sockets().WatchAddresses(listener, WM_ADDRESS_CHANGE);
  terminal.NewSocket(session.Entry());
  terminal.Connect(DottedQuad(ip));
  if (terminal.State() != TcpState::Idle) {
    if (seconds > 0) {
      session.Loop().StartTimer(std::chrono::milliseconds(static_cast<long>(seconds * 1000)),
                                [&] { terminal.End(); });
    }
    session.Loop().Run();
  }
  // A connection that ended with an error (a module that stopped answering: 10060) or whose
  // interface went has not been heard to its end.
  if (terminal.EndError() != 0) {
    session.Say(terminal.EndError() == wsa::ETIMEDOUT_
                    ? "vellora-cli: the module stopped answering; the connection was given up"
                    : "vellora-cli: the connection ended with an error");
    return session.Finish(kNotDone);
  }
  if (session.Lost()) return session.Finish(kNotDone);
  if (!listener.WasConnected())
    session.Say("vellora-cli: no connection to " + DottedQuad(ip) + " port 80");
  return session.Finish(listener.WasConnected() ? kDone : kNotDone);
}
