#include "terminal/terminal_connection.h"

#include "protocol/text_values.h"

TerminalConnection::TerminalConnection(TSocketLayer& sockets, THostInfoManager& hostInfo,
                                       TMessageTarget& window, Listener& listener)
    : Sockets(sockets), HostInfo(hostInfo), Window(window), Out(listener) {}

TerminalConnection::~TerminalConnection() = default;

void TerminalConnection::NewSocket(const TInterfaceAddress& local) {
  End();
  Socket = Sockets.NewStreamSocket(TLocalBinding(TINetSocketAddress(0, local.Address), local));
  Socket->SetNotificationWindow(&Window);
}

void TerminalConnection::DropSocket() {
  End();
  Socket.reset();
}

void TerminalConnection::Connect(const std::string& target) {
  if (Current != TcpState::Idle) return;
  EnterLookingUp();
  PeerAddress.SetPortA(TWinSockDll::htons(80));
  if (TINetSocketAddress::IsAddressDottedDecimal(target.c_str())) {
    PeerAddress.SetNetworkAddress(TINetSocketAddress::ConvertAddress(target.c_str()));
    EnterConnecting();
    StartConnect();
  } else if (HostInfo.GetHostInfoAsync(Window, target, WM_HOST_LOOKUP_DONE) == -1) {
    LogError("converting name to address", HostInfo.GetLastError());
    EnterIdle();
  }
}

void TerminalConnection::End() {
  switch (Current) {
    case TcpState::Idle:
      break;
    case TcpState::LookingUp:
      HostInfo.CancelHostRequest();
      EnterIdle();
      break;
    case TcpState::Connecting:
      EnterIdle();  // closing the socket abandons the connect under way
      break;
    case TcpState::Connected:
      if (Socket) Socket->ShutDownSocket(2);
      EnterIdle();
      break;
  }
}

void TerminalConnection::StartConnect() {
  if (Socket->CreateSocket() == -1) {
    LogError("creating socket", Socket->GetLastError());
    EnterIdle();
    return;
  }
  Socket->StartRegularNotification();
  if (Socket->BindSocket() == -1) {
    LogError("on socket Bind", Socket->GetLastError());
    EnterIdle();
    return;
  }
  if (Socket->SetDeadPeerTimeout(kDeadPeerSeconds) == -1) {
    LogError("on socket options", Socket->GetLastError());
    EnterIdle();
    return;
  }
  if (Socket->Connect(PeerAddress) == -1) {
    const int error = Socket->GetLastError();
    if (error == wsa::EWOULDBLOCK_) return;  // under way: FD_CONNECT tells the outcome
    LogError("while connecting", error);
    EnterIdle();
  }
}

void TerminalConnection::ConnectNotified(unsigned error) {
  if (Current != TcpState::Connecting) return;
  if (error == 0) {
    EnterConnected();
  } else {
    LogError("while connecting", static_cast<int>(error));
    EnterIdle();
  }
}

void TerminalConnection::CloseNotified(unsigned error) {
  if (error != 0) LogError("closing socket", static_cast<int>(error));
  EnterIdle();
}

void TerminalConnection::ReadTcpData() {
  if (!Socket) return;
  std::uint8_t buffer[2048];
  int count = 2047;
  if (Socket->Read(buffer, count) == -1 || count <= 0) return;
  if (count > 2047) count = 2047;
  Traffic.BytesReceived += static_cast<std::uint32_t>(count);
  Lines.Feed(std::span(buffer, static_cast<std::size_t>(count)),
             [this](const char* line) { Out.OnTerminalLine(line); });
}

void TerminalConnection::LogError(const char* what, int error) {
  LastError = error;
  Out.OnTerminalMessage(Format("Vellora: TCP/IP Error %s (Winsock:%5d)", what, error));
}

void TerminalConnection::EnterIdle() {
  Current = TcpState::Idle;
  Out.OnTerminalMessage("Vellora: Socket disconnected");
  Lines.Clear();
  if (Socket) Socket->CloseSocket();
  Out.OnTcpStateEntered(Current);
}

void TerminalConnection::EnterLookingUp() {
  Current = TcpState::LookingUp;
  LastError = 0;
  Out.OnTcpStateEntered(Current);
}

void TerminalConnection::EnterConnecting() {
  Current = TcpState::Connecting;
  Out.OnTerminalMessage("Vellora: Socket connecting ...");
  Out.OnTcpStateEntered(Current);
}

void TerminalConnection::EnterConnected() {
  Current = TcpState::Connected;
  Out.OnTerminalMessage("Vellora: Socket connected");
  Out.OnTcpStateEntered(Current);
}
