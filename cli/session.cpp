#include "cli/session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "protocol/messages.h"
#include "protocol/text_values.h"
#include "protocol/windows1252.h"

Session::Session(TLogFile* record) : File(record), Udp(Layer, *this) {
  Layer.Startup(1, 1);
  TickEverySecond();
}

Session::~Session() = default;

void Session::TickEverySecond() {
  // Lines that every datagram may bring are said at most once a second.
  EventLoop.StartTimer(std::chrono::seconds(1), [this] {
    Udp.Tick();
    TickEverySecond();
  });
}

bool Session::ChooseAddress(const StartRequest& request) {
  Udp.ReadPcAddresses();
  const StartChoice choice = ChooseStartEntry(Udp.PcAddresses(), request);
  if (choice.Position < 0) {
    std::fprintf(stderr, "vellora-cli: %s\n",
                 choice.Refusal.empty()
                     ? "this PC has no IPv4 address, or every interface with one is down"
                     : choice.Refusal.c_str());
    return false;
  }
  Chosen = Udp.PcAddresses().At(choice.Position);
  Udp.Choose(Chosen);
  return true;
}

bool Session::Open() {
  if (Udp.Open(kGatewayPort)) return true;
  Say("vellora-cli: no socket could be opened on " + DottedQuad(Address()) + " (" +
      Chosen.InterfaceName + ")");
  return false;
}

void Session::Refresh() {
  Udp.Refresh();
  if (const int now = Udp.ChosenPosition(); now >= 0) Chosen = Udp.PcAddresses().At(now);
}

void Session::WatchEntry(std::function<void()> lost) {
  WhenLost = std::move(lost);
  Udp.WatchPcAddresses();
}

void Session::OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) {
  if (chosen == ChoiceChange::Kept || EntryLost) return;
  EntryLost = true;
  Say("vellora-cli: " + DottedQuad(lost.Address) + " is no longer an address of " +
      lost.InterfaceName +
      (chosen == ChoiceChange::Replugged ? " (the interface was removed and made again)" : "") +
      "; nothing more is sent");
  if (WhenLost) WhenLost();
}

const FoundModules& Session::Search(const SearchEnd& end) {
  Modules.Clear();
  if (!Udp.SendDatagram(BuildSearchRequest())) return Modules;
  using Clock = PollEventLoop::Clock;
  Clock::time_point deadline = Clock::now() + end.Wait;
  bool sought = false;
  for (;;) {
    if (!sought && end.Sought && end.Sought(Modules)) {
      sought = true;
      deadline = std::min(deadline, Clock::now() + end.Grace);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    EventLoop.RunOnce(left);
  }
  if (Modules.Full())
    Say("vellora-cli: more than " + std::to_string(FoundModules::kMost) +
        " MACs answered; the rest were not taken");
  return Modules;
}

void Session::Say(const std::string& line) {
  std::fprintf(stderr, "%s\n", Windows1252ToVisibleUtf8(line).c_str());
  Keep(line);
}

bool Session::OnRequestLeaving(const PcAddress& from, std::span<const std::uint8_t> request) {
  if (File == nullptr) return true;
  const std::string line = RequestRecordLine(from, request);
  if (request[1] == CmdSearchRequest) {
    Keep(line);  // a search changes no module: it goes whether its line is kept or not
    return true;
  }
  std::string error;
  if (File->AppendLineDurably(line, error)) return true;
  if (FileError.empty()) FileError = error;
  std::fprintf(stderr, "vellora-cli: %s not sent: the log file cannot be written (%s)\n",
               GatewayCommandName(request[1]), error.c_str());
  return false;
}

StationIo Session::Io() {
  StationIo io;
  io.Speaker = "vellora-cli";
  io.Say = [this](const std::string& line) { Say(line); };
  io.NoteDurably = [this](const std::string& line) { return NoteDurably(line); };
  io.Record = [this](std::span<const std::uint8_t> request) -> std::optional<std::string> {
    if (Prepare(request)) return std::nullopt;
    if (Lost()) return "the PC address " + DottedQuad(Address()) + " left " + Chosen.InterfaceName;
    return "the log file cannot be written";
  };
  io.Transmit = [this](std::span<const std::uint8_t> request) -> std::optional<std::string> {
    if (Transmit(request)) return std::nullopt;
    return "the socket did not send it";
  };
  return io;
}

bool Session::NoteDurably(const std::string& line) {
  std::string error;
  if (File == nullptr || File->AppendLineDurably(line, error)) return true;
  if (FileError.empty()) FileError = error;
  std::fprintf(stderr, "vellora-cli: the log file cannot be written (%s)\n", error.c_str());
  return false;
}

void Session::Keep(const std::string& line) {
  std::string error;
  if (File != nullptr && !File->AppendLine(line, error) && FileError.empty()) FileError = error;
}

bool Session::Print(const std::string& line) {
  if (!OutputError.empty()) return false;
  if (std::fputs((line + "\n").c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return true;
  OutputError = std::strerror(errno != 0 ? errno : EIO);
  return false;
}

int Session::Finish(int status) {
  if (!FileError.empty())
    std::fprintf(stderr, "vellora-cli: the log file could not be written (%s); it misses lines\n",
                 FileError.c_str());
  if (!OutputError.empty())
    std::fprintf(stderr, "vellora-cli: the results could not be written to standard output (%s)\n",
                 OutputError.c_str());
  return FileError.empty() && OutputError.empty() ? status : (status == 0 ? 1 : status);
}

void Session::OnDatagramWaiting() {
  if (const std::optional<ParsedReply> reply = Udp.ReceiveReply()) Modules.Add(reply->Record);
}
