#include "cli/session.h"

#include <cstdio>

#include "protocol/request_text.h"
#include "protocol/text_values.h"
#include "protocol/windows1252.h"

Session::Session(TLogFile* record)
    : File(record), Lookups(Layer.NewHostInfoManager()), Udp(Layer, *Lookups, Window, *this) {
  Layer.Startup(1, 1);
}

Session::~Session() = default;

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
  return Udp.Open(DottedQuad(NetworkToHostLong(Address())), "8003") &&
         Udp.GetState() == UdpState::Ready;
}

void Session::Refresh() {
  Udp.Refresh();
  if (const int now = Udp.ChosenPosition(); now >= 0) Chosen = Udp.PcAddresses().At(now);
}

void Session::OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) {
  if (chosen == ChoiceChange::Kept || EntryLost) return;
  EntryLost = true;
  Say("vellora-cli: " + DottedQuad(NetworkToHostLong(lost.Address)) +
      " is no longer an address of " + lost.InterfaceName +
      (chosen == ChoiceChange::Replugged ? " (the interface was removed and made again)" : "") +
      "; nothing more is sent");
}

const GatewayList& Session::Search(std::chrono::milliseconds wait,
                                   const std::function<bool(const GatewayRecord&)>& sought) {
  Gateways.Clear();
  if (!Udp.SendDatagram(BuildSearchRequest())) return Gateways;
  EventLoop.RunUntil(
      [&] {
        for (int i = 0; sought && i < Gateways.Count(); ++i) {
          if (sought(Gateways.At(i))) return true;
        }
        return false;
      },
      PollEventLoop::Clock::now() + wait);
  return Gateways;
}

bool Session::Send(std::span<const std::uint8_t> request) {
  return Udp.SendDatagram(request);
}

void Session::Say(const std::string& line) {
  std::fprintf(stderr, "%s\n", Windows1252ToUtf8(line).c_str());
  Keep(line);
}

void Session::OnRequestSent(const PcAddress& from, std::span<const std::uint8_t> request) {
  Keep(RequestRecordLine(from, request));
}

void Session::Keep(const std::string& line) {
  if (File != nullptr && !File->AppendLine(line)) FileFailed = true;
}

long Session::Notifications::WindowProc(unsigned message, std::uintptr_t, std::intptr_t lParam) {
  if (message != WM_SOCKET_NOTIFY) return 1;
  const unsigned event = LowWord(static_cast<std::uint64_t>(lParam));
  const unsigned error = HighWord(static_cast<std::uint64_t>(lParam));
  if (event != FD_READ) return 1;
  if (error != 0) {
    Owner.Say(UdpEndpoint::ReadErrorLine(error));
    return 1;
  }
  if (const std::optional<ParsedReply> reply = Owner.Udp.ReceiveReply())
    Owner.Gateways.Add(reply->Record);
  return 1;
}
