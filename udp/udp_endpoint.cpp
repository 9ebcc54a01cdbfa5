#include "udp/udp_endpoint.h"

#include "protocol/text_values.h"

UdpEndpoint::UdpEndpoint(TSocketLayer& sockets, THostInfoManager& hostInfo, TMessageTarget& window,
                         Listener& listener)
    : Sockets(sockets), HostInfo(hostInfo), Window(window), Out(listener) {}

UdpEndpoint::~UdpEndpoint() {
  if (Socket) Socket->CloseSocket();
}

bool UdpEndpoint::ReadPcAddresses() {
  THostEntry host;
  auto lookup = Sockets.NewHostInfoManager();
  if (lookup->GetHostInfo(host, lookup->GetHostName(200)) != 0) host = THostEntry();
  return Addresses.Update(host);
}

void UdpEndpoint::Choose(std::uint32_t address) {
  ChosenAddress = address;
  EverChosen = true;
}

void UdpEndpoint::Forget() {
  Close();
  Socket.reset();
  ChosenAddress.reset();
}

int UdpEndpoint::ChosenPosition() const {
  return ChosenAddress ? Addresses.Find(*ChosenAddress) : -1;
}

int UdpEndpoint::AddressToTake() const {
  if (EverChosen) return -1;
  if (Preferred) return Addresses.Find(*Preferred);
  return Addresses.Count() > 0 ? 0 : -1;
}

bool UdpEndpoint::Open(const std::string& addressText, const std::string& portText) {
  // The socket this replaces is released here; nothing refers to it any more.
  Socket = Sockets.NewDatagramSocket(TINetSocketAddress(0, ChosenAddress.value_or(0)));
  State = UdpState::Closed;
  Socket->SetNotificationWindow(&Window);
  BroadcastAddress.SetPortA(
      TWinSockDll::htons(ParseNumber<std::uint16_t>(portText).value_or(kGatewayPort)));

  if (Socket->CreateSocket() == -1) {
    Out.OnUdpMessage("Vellora: UDP Error on CreateSocket()");
    Close();
    return false;
  }
  Socket->StartRegularNotification();
  if (Socket->BindSocket() == -1) {
    Out.OnUdpMessage("Vellora: UDP Error on BindSocket()");
    Close();
    return false;
  }
  Socket->SetBroadcastOption(true);
  State = UdpState::Bound;

  if (TINetSocketAddress::IsAddressDottedDecimal(addressText.c_str())) {
    // Requests always go to the limited broadcast address, whichever PC address was chosen.
    BroadcastAddress.SetNetworkAddress(HostToNetworkLong(kLimitedBroadcast));
    State = UdpState::Ready;
  } else {
    Out.OnUdpMessage("Vellora: Can not convert IP string to dotted decimal");
    if (HostInfo.GetHostInfoAsync(Window, addressText, WM_HOST_LOOKUP_DONE) == -1) {
      Out.OnUdpMessage("Vellora: UDP Error, Unable to convert the host name to an address");
      Close();
    }
  }
  return true;
}

void UdpEndpoint::Close() {
  State = UdpState::Closed;
  if (Socket) Socket->CloseSocket();
}

TINetSocketAddress UdpEndpoint::SocketAddress() const {
  return Socket ? Socket->GetSocketAddress() : TINetSocketAddress();
}

bool UdpEndpoint::SendDatagram(std::span<const std::uint8_t> bytes) {
  if (!Socket) {
    Out.OnUdpMessage("Vellora: No PC address chosen, nothing sent");
    return false;
  }
  if (Socket->Write(bytes.data(), static_cast<int>(bytes.size()), BroadcastAddress) != -1) {
    Out.OnRequestSent(ChosenAddress.value_or(0), bytes);
    return true;
  }
  const int error = Socket->GetLastError();
  if (error == wsa::EWOULDBLOCK_) return false;  // dropped, not retried
  Out.OnUdpMessage(TSocketError(Sockets, error).GetReasonString());
  Close();
  return false;
}

std::optional<ParsedReply> UdpEndpoint::ReceiveReply() {
  if (!Socket) return std::nullopt;
  std::uint8_t buffer[256];
  int count = 255;
  TINetSocketAddress from;
  if (Socket->Read(buffer, count, from) == -1) {
    // Nothing waiting is no error: the notification came from the terminal's socket.
    const int error = Socket->GetLastError();
    if (error != wsa::EWOULDBLOCK_)
      Out.OnUdpMessage(TSocketError(Sockets, error).GetReasonString());
    return std::nullopt;
  }
  if (count < 0 || count > 255) return std::nullopt;
  buffer[count] = 0;
  ParsedReply reply;
  if (!ParseGatewayInfoReply(std::span(buffer, static_cast<std::size_t>(count)),
                             TWinSockDll::ntohs(from.GetPort()), reply))
    return std::nullopt;
  return reply;
}

std::string UdpEndpoint::ReadErrorLine(unsigned error) {
  return Format("Vellora: TCP/IP Error while reading (Winsock:%5u)", error);
}
