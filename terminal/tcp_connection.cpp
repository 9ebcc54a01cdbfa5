#include "dialog/vellora.h"
#include "gateway/field_text.h"

void Vellora::CmConnect() {
  switch (TcpState) {
    case TcpIdle: {
      if (!TcpSocket) {
        AddDebugLine("Vellora: No PC address chosen, cannot connect");
        break;
      }
      EnterTcpLookingUp();
      TcpPeerAddress.SetPortA(TWinSockDll::htons(80));
      std::string target;
      const int index = GatewayCombo->GetSelIndex();
      if (index >= 0 && index < GatewayCount) {
        const std::uint32_t ip = GatewayList[index].ActualIp;
        target = Format("%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF, ip & 0xFF);
      }
      if (TINetSocketAddress::IsAddressDottedDecimal(target.c_str())) {
        TcpPeerAddress.SetNetworkAddress(TINetSocketAddress::ConvertAddress(target.c_str()));
        EnterTcpConnecting();
        StartTcpConnect();
      } else if (HostInfo->GetHostInfoAsync(*this, target, WM_HOST_LOOKUP_DONE) == -1) {
        AddDebugLine(Format("Vellora: TCP/IP Error converting name to address (Winsock:%5d)",
                            HostInfo->GetLastError())
                         .c_str());
        EnterTcpIdle();
      }
      break;
    }
    case TcpLookingUp:
      HostInfo->CancelHostRequest();
      EnterTcpIdle();
      break;
    case TcpConnecting:
      EnterTcpIdle();  // closing the socket abandons the connect under way
      break;
    case TcpConnected:
      if (TcpSocket) TcpSocket->ShutDownSocket(2);
      EnterTcpIdle();
      break;
    default:
      break;
  }
}

void Vellora::StartTcpConnect() {
  if (TcpSocket->CreateSocket() == -1) {
    AddDebugLine(
        Format("Vellora: TCP/IP Error creating socket (Winsock:%5d)", TcpSocket->GetLastError())
            .c_str());
    EnterTcpIdle();
    return;
  }
  TcpSocket->StartRegularNotification();
  if (TcpSocket->BindSocket() == -1) {
    AddDebugLine(
        Format("Vellora: TCP/IP Error on socket Bind (Winsock:%5d)", TcpSocket->GetLastError())
            .c_str());
    EnterTcpIdle();
    return;
  }
  if (TcpSocket->Connect(TcpPeerAddress) == -1) {
    const int error = TcpSocket->GetLastError();
    if (error == wsa::EWOULDBLOCK_) return;  // under way: FD_CONNECT tells the outcome
    AddDebugLine(Format("Vellora: TCP/IP Error while connecting (Winsock:%5d)", error).c_str());
    EnterTcpIdle();
  }
}

void Vellora::CreateTcpSocket() {
  // A connection made from the previous PC address ends first (as its button would end it),
  // so that the state text, the gateway lock and the socket stay in step.
  if (TcpState != TcpIdle) CmConnect();

  LocalAddress = TINetSocketAddress(0, ChosenAddress.value_or(0));
  TcpSocket = Sockets.NewStreamSocket(LocalAddress);
  TcpSocket->SetNotificationWindow(this);
}

void Vellora::EnterTcpIdle() {
  TcpState = TcpIdle;
  StateText->SetText("State: Idle");
  AddDebugLine("Vellora: Socket disconnected");
  ConnectButton->SetCaption("Connect");
  ReceiveLineLength = 0;
  ReceiveLine[0] = 0;
  Ws().SetDialogCaption(Format("%s nicht verbunden", CaptionText));
  if (TcpSocket) TcpSocket->CloseSocket();
  LockGatewaySelection(false);
}

void Vellora::EnterTcpLookingUp() {
  TcpState = TcpLookingUp;
  StateText->SetText("State: Looking Up Address...");
  ConnectButton->SetCaption("Cancel");
  LockGatewaySelection(false);
}

void Vellora::EnterTcpConnecting() {
  TcpState = TcpConnecting;
  StateText->SetText("State: connecting...");
  AddDebugLine("Vellora: Socket connecting ...");
  ConnectButton->SetCaption("Cancel");
  LockGatewaySelection(false);
}

void Vellora::EnterTcpConnected() {
  TcpState = TcpConnected;
  StateText->SetText("State: Connected");
  AddDebugLine("Vellora: Socket connected");
  ConnectButton->SetCaption("Disconnect");
  Ws().SetDialogCaption(
      Format("%s verbunden mit %s", CaptionText,
             TINetSocketAddress::ConvertAddress(TcpPeerAddress.GetNetworkAddress()).c_str()));
  LockGatewaySelection(true);
}
