#include <cstdlib>

#include "dialog/vellora.h"
#include "protocol/messages.h"

bool Vellora::OpenUdpEndpoint(const char* addressText, const char* portText) {
  LocalAddress = TINetSocketAddress(0, ChosenAddress.value_or(0));
  // The socket object this replaces is released here; nothing refers to it any more.
  UdpSocket = Sockets.NewDatagramSocket(LocalAddress);
  UdpState = UdpClosed;
  UdpSocket->SetNotificationWindow(this);
  BroadcastAddress.SetPortA(TWinSockDll::htons(static_cast<std::uint16_t>(std::atoi(portText))));

  if (UdpSocket->CreateSocket() == -1) {
    AddDebugLine("Vellora: UDP Error on CreateSocket()");
    CloseUdpEndpoint();
    return false;
  }
  UdpSocket->StartRegularNotification();
  if (UdpSocket->BindSocket() == -1) {
    AddDebugLine("Vellora: UDP Error on BindSocket()");
    CloseUdpEndpoint();
    return false;
  }
  UdpSocket->SetBroadcastOption(true);
  UdpState = UdpBound;

  if (TINetSocketAddress::IsAddressDottedDecimal(addressText)) {
    // Requests always go to the limited broadcast address, whichever PC address was chosen.
    BroadcastAddress.SetNetworkAddress(HostToNetworkLong(kLimitedBroadcast));
    UdpState = UdpReady;
  } else {
    AddDebugLine("Vellora: Can not convert IP string to dotted decimal");
    if (HostInfo->GetHostInfoAsync(*this, addressText, WM_HOST_LOOKUP_DONE) == -1) {
      AddDebugLine("Vellora: UDP Error, Unable to convert the host name to an address");
      CloseUdpEndpoint();
    }
  }
  return true;
}

void Vellora::CloseUdpEndpoint() {
  UdpState = UdpClosed;
  if (UdpSocket) UdpSocket->CloseSocket();
}

bool Vellora::SendDatagram(const std::uint8_t* bytes, int count) {
  if (!UdpSocket) {
    AddDebugLine("Vellora: No PC address chosen, nothing sent");
    return false;
  }
  if (UdpSocket->Write(bytes, count, BroadcastAddress) != -1) return true;
  const int error = UdpSocket->GetLastError();
  if (error == wsa::EWOULDBLOCK_) return false;  // dropped, not retried
  AddDebugLine(TSocketError(Sockets, error).GetReasonString().c_str());
  CloseUdpEndpoint();
  return false;
}

void Vellora::ReceiveGatewayReply() {
  if (!UdpSocket) return;
  std::uint8_t buffer[256];
  int count = 255;
  TINetSocketAddress from;
  if (UdpSocket->Read(buffer, count, from) == -1) {
    // Nothing waiting is no error: the notification came from the terminal's socket.
    const int error = UdpSocket->GetLastError();
    if (error != wsa::EWOULDBLOCK_)
      AddDebugLine(TSocketError(Sockets, error).GetReasonString().c_str());
    return;
  }
  if (count < 0 || count > 255) return;
  buffer[count] = 0;
  ParsedReply reply;
  if (ParseGatewayInfoReply(buffer, static_cast<std::size_t>(count),
                            TWinSockDll::ntohs(from.GetPort()), reply)) {
    AddGatewayReply(reply.Record, reply.MacText);
  }
}
