#include "udp/udp_endpoint.h"

#include "protocol/request_text.h"
#include "protocol/text_values.h"

std::string RequestRecordLine(const PcAddress& from, std::span<const std::uint8_t> request) {
  return "request from=" + DottedQuad(from.Address) + " interface=" + from.InterfaceName + " " +
         DescribeRequest(request);
}

UdpEndpoint::UdpEndpoint(TSocketLayer& sockets, Listener& listener)
    : Sockets(sockets), Out(listener) {}

UdpEndpoint::~UdpEndpoint() {
  if (Socket) Socket->CloseSocket();
}

bool UdpEndpoint::ReadPcAddresses() {
  THostEntry host;
  if (!Sockets.ReadOwnAddresses(host)) host = THostEntry();
  return Addresses.Update(host);
}

void UdpEndpoint::Refresh() {
  if (!ReadPcAddresses()) return;
  ChoiceChange change = ChoiceChange::Kept;
  PcAddress lost;
  if (ChosenEntry && ChosenPosition() < 0) {
    lost = *ChosenEntry;
    change = ChoiceChange::Lost;
    for (int i = 0; i < Addresses.Count(); ++i) {
      const PcAddress& now = Addresses.At(i);
      if (now.Address == ChosenEntry->Address && now.InterfaceName == ChosenEntry->InterfaceName)
        change = ChoiceChange::Replugged;
    }
    Forget();
  }
  Out.OnPcAddressesChanged(change, lost);
}

bool UdpEndpoint::WatchPcAddresses() {
  AddressWatch = Sockets.WatchAddresses([this] { Refresh(); });
  return AddressWatch != nullptr;
}

void UdpEndpoint::Choose(const PcAddress& entry) {
  ChosenEntry = entry;
  EverChosen = true;
}

void UdpEndpoint::Forget() {
  Close();
  Socket.reset();
  ChosenEntry.reset();
}

int UdpEndpoint::ChosenPosition() const {
  return ChosenEntry ? Addresses.Find(*ChosenEntry) : -1;
}

int UdpEndpoint::AddressToTake() const {
  if (EverChosen) return -1;
  if (Preferred) return Addresses.Find(*Preferred);
  return Addresses.Count() > 0 ? 0 : -1;
}

bool UdpEndpoint::Open(std::uint16_t port) {
  // The socket this replaces is released here; nothing refers to it any more.
  const PcAddress entry = ChosenEntry.value_or(PcAddress{});
  Socket = Sockets.NewDatagramSocket(TLocalBinding(TINetSocketAddress(0, entry.Address), entry));
  State = UdpState::Closed;
  Socket->SetNotifications({[this] { Out.OnDatagramWaiting(); }, nullptr, nullptr});
  // Requests always go to the limited broadcast address, whichever PC address was chosen.
  BroadcastAddress = TINetSocketAddress(port, kLimitedBroadcast);

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
  State = UdpState::Ready;
  return true;
}

void UdpEndpoint::Close() {
  State = UdpState::Closed;
  if (Socket) Socket->CloseSocket();
}

TINetSocketAddress UdpEndpoint::SocketAddress() const {
  return Socket ? Socket->GetSocketAddress() : TINetSocketAddress();
}

bool UdpEndpoint::PrepareRequest(std::span<const std::uint8_t> bytes) {
  if (!Socket) {
    Out.OnUdpMessage("Vellora: No PC address chosen, nothing sent");
    return false;
  }
  // The watch on the PC's addresses may not have told yet of a change that took the chosen
  // entry away (the program was busy or stopped): its socket would send from an address the
  // interface no longer has, or on a wire nobody chose.
  Refresh();
  return Socket && Out.OnRequestLeaving(*ChosenEntry, bytes);
}

bool UdpEndpoint::TransmitRequest(std::span<const std::uint8_t> bytes) {
  if (!Socket) return false;
  if (Socket->Write(bytes.data(), static_cast<int>(bytes.size()), BroadcastAddress) != -1)
    return true;
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
    if (error != wsa::EWOULDBLOCK_ && ReadErrors.Allow())
      Out.OnUdpMessage(TSocketError(Sockets, error).GetReasonString());
    return std::nullopt;
  }
  if (count < 0 || count > 255) return std::nullopt;
  buffer[count] = 0;
  ParsedReply reply;
  if (!ParseGatewayInfoReply(std::span(buffer, static_cast<std::size_t>(count)), from.GetPort(),
                             reply))
    return std::nullopt;
  return reply;
}

void UdpEndpoint::Tick() {
  if (const int left = ReadErrors.Tick(); left > 0)
    Out.OnUdpMessage(
        Format("Vellora: %d more datagram read errors in the last second were left out", left));
}
