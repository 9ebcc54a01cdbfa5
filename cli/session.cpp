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

bool Session::ChooseAddress(std::optional<std::uint32_t> address, const std::string& interface) {
  Udp.ReadPcAddresses();
  const PcAddressList& listed = Udp.PcAddresses();
  for (int i = 0; i < listed.Count(); ++i) {
    const PcAddress& candidate = listed.At(i);
    const bool wanted = address ? candidate.Address == HostToNetworkLong(*address)
                                : interface.empty() || candidate.Interface == interface;
    if (wanted) {
      Udp.Choose(candidate.Address);
      return true;
    }
  }
  std::string why = address ? DottedQuad(*address) + " is not an IPv4 address of this PC"
                    : interface.empty()
                        ? std::string("this PC has no IPv4 address")
                        : "the interface " + interface + " has no IPv4 address, or is down";
  for (int i = 0; i < listed.Count(); ++i) {
    why += (i == 0 ? "; the PC's addresses: " : ", ") +
           DottedQuad(NetworkToHostLong(listed.At(i).Address)) + " (" + listed.At(i).Interface +
           ")";
  }
  std::fprintf(stderr, "vellora-cli: %s\n", why.c_str());
  return false;
}

bool Session::Open() {
  return Udp.Open(DottedQuad(NetworkToHostLong(Address())), "8003") &&
         Udp.GetState() == UdpState::Ready;
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

void Session::OnRequestSent(std::uint32_t from, std::span<const std::uint8_t> request) {
  Keep("request from=" + DottedQuad(NetworkToHostLong(from)) + " " + DescribeRequest(request));
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
