#include <algorithm>
#include <cstring>

#include "platform/memory/memory_socket_layer.h"
#include "protocol/text_values.h"

namespace {

using State = MemorySocketLayer::SocketState;

// Shared behaviour of the in-memory datagram and stream sockets.
template <class Base>
class MemorySocket : public Base {
 public:
  MemorySocket(const MemorySocketLayer& layer, std::shared_ptr<State> state)
      : Layer(layer), S(std::move(state)) {}
  ~MemorySocket() override { S->Released = true; }

  void SetNotifications(TSocketNotifications notifications) override {
    S->Owner = std::move(notifications);
  }

  int CreateSocket() override {
    if (!Layer.Started) return Fail(wsa::NOTINITIALISED_);
    if (S->CreateError != 0) return Fail(S->CreateError);
    S->Open = true;
    S->Bound = false;
    ++S->Creates;
    return 0;
  }
  int BindSocket() override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    if (S->BindError != 0) return Fail(S->BindError);
    if (S->InterfaceIndex != 0 && !Layer.Carries(*S)) return Fail(wsa::EADDRNOTAVAIL_);
    S->Bound = true;
    return 0;
  }
  int StartRegularNotification() override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    S->Notifying = true;
    return 0;
  }
  int CloseSocket() override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    S->Open = false;
    S->Bound = false;
    S->Notifying = false;
    S->Connected = false;
    ++S->Closes;
    return 0;
  }
  int SetBroadcastOption(bool on) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    S->Broadcast = on;
    return 0;
  }
  int GetLastError() const override { return S->LastError; }
  TINetSocketAddress GetSocketAddress() const override { return S->Own; }

 protected:
  int Fail(int error) {
    S->LastError = error;
    return -1;
  }

  const MemorySocketLayer& Layer;
  std::shared_ptr<State> S;
};

class MemoryDatagramSocket : public MemorySocket<TDatagramSocket> {
 public:
  using MemorySocket::MemorySocket;

  int Write(const std::uint8_t* bytes, int count, const TINetSocketAddress& to) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    if (!S->WriteErrors.empty()) {
      const int error = S->WriteErrors.front();
      S->WriteErrors.pop_front();
      return Fail(error);
    }
    S->Sent.push_back({std::vector<std::uint8_t>(bytes, bytes + count), to});
    Layer.Record("Send " + std::to_string(count) + " bytes to " + DottedQuad(to.GetAddress()) +
                 ":" + std::to_string(to.GetPort()));
    return count;
  }

  int Read(std::uint8_t* buffer, int& roomAndCount, TINetSocketAddress& from) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    if (S->Incoming.empty()) return Fail(wsa::EWOULDBLOCK_);
    MemorySocketLayer::Datagram d = std::move(S->Incoming.front());
    S->Incoming.pop_front();
    if (roomAndCount < 0 || d.Bytes.size() > static_cast<std::size_t>(roomAndCount)) {
      return Fail(wsa::EMSGSIZE_);  // the datagram is discarded, as the platform does
    }
    std::copy(d.Bytes.begin(), d.Bytes.end(), buffer);
    roomAndCount = static_cast<int>(d.Bytes.size());
    from = d.Peer;
    return roomAndCount;
  }
};

class MemoryStreamSocket : public MemorySocket<TStreamSocket> {
 public:
  using MemorySocket::MemorySocket;

  int Connect(const TINetSocketAddress& peer) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    S->Peer = peer;
    Layer.Record("Connect " + DottedQuad(peer.GetAddress()) + ":" + std::to_string(peer.GetPort()));
    if (S->ConnectError != 0) return Fail(S->ConnectError);
    S->Connected = true;
    return 0;
  }

  int Read(std::uint8_t* buffer, int& roomAndCount) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    if (!S->Connected) return Fail(wsa::ENOTCONN_);
    if (S->IncomingChunks.empty()) return Fail(wsa::EWOULDBLOCK_);
    std::vector<std::uint8_t>& chunk = S->IncomingChunks.front();
    const std::size_t n =
        std::min(chunk.size(), static_cast<std::size_t>(std::max(roomAndCount, 0)));
    std::copy(chunk.begin(), chunk.begin() + static_cast<long>(n), buffer);
    chunk.erase(chunk.begin(), chunk.begin() + static_cast<long>(n));
    if (chunk.empty()) S->IncomingChunks.pop_front();
    roomAndCount = static_cast<int>(n);
    return roomAndCount;
  }

  int ShutDownSocket(int how) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    S->ShutDowns.push_back(how);
    return 0;
  }

  int SetDeadPeerTimeout(int seconds) override {
    if (!S->Open) return Fail(wsa::ENOTSOCK_);
    S->DeadPeerSeconds = seconds;
    return 0;
  }
};

}  // namespace

void MemorySocketLayer::Startup(int, int) {
  Started = Available;
}

std::shared_ptr<State> MemorySocketLayer::NewState(bool stream, const TLocalBinding& own) {
  auto state = std::make_shared<SocketState>();
  state->IsStream = stream;
  state->Own = own.Address;
  state->InterfaceIndex = own.InterfaceIndex;
  state->InterfaceName = own.InterfaceName;
  Sockets.push_back(state);
  if (OnNewSocket) OnNewSocket(*state);
  return state;
}

std::unique_ptr<TDatagramSocket> MemorySocketLayer::NewDatagramSocket(const TLocalBinding& own) {
  return std::make_unique<MemoryDatagramSocket>(*this, NewState(false, own));
}

std::unique_ptr<TStreamSocket> MemorySocketLayer::NewStreamSocket(const TLocalBinding& own) {
  return std::make_unique<MemoryStreamSocket>(*this, NewState(true, own));
}

std::string MemorySocketLayer::GetReasonString(int error) const {
  switch (error) {
    case wsa::EWOULDBLOCK_:
      return "Operation would block";
    case wsa::ENOTSOCK_:
      return "Socket operation on non-socket";
    case wsa::EMSGSIZE_:
      return "Message too long";
    case wsa::EADDRNOTAVAIL_:
      return "Cannot assign requested address";
    case wsa::ENETDOWN_:
      return "Network is down";
    case wsa::ENETUNREACH_:
      return "Network is unreachable";
    case wsa::ECONNRESET_:
      return "Connection reset by peer";
    case wsa::ECONNREFUSED_:
      return "Connection refused";
    case wsa::NOTINITIALISED_:
      return "Socket layer not started";
    default:
      return "Socket error " + std::to_string(error);
  }
}

bool MemorySocketLayer::Carries(const SocketState& socket) const {
  return std::any_of(Host.Entries.begin(), Host.Entries.end(), [&](const TInterfaceAddress& e) {
    return e.Address == socket.Own.GetAddress() && e.InterfaceIndex == socket.InterfaceIndex &&
           e.InterfaceName == socket.InterfaceName;
  });
}

MemorySocketLayer::SocketState* MemorySocketLayer::LastDatagramSocket() const {
  for (auto it = Sockets.rbegin(); it != Sockets.rend(); ++it) {
    if (!(*it)->IsStream) return it->get();
  }
  return nullptr;
}

MemorySocketLayer::SocketState* MemorySocketLayer::LastStreamSocket() const {
  for (auto it = Sockets.rbegin(); it != Sockets.rend(); ++it) {
    if ((*it)->IsStream) return it->get();
  }
  return nullptr;
}

int MemorySocketLayer::OpenSocketObjects() const {
  return static_cast<int>(
      std::count_if(Sockets.begin(), Sockets.end(), [](const auto& s) { return !s->Released; }));
}

std::vector<MemorySocketLayer::Datagram> MemorySocketLayer::AllSent() const {
  std::vector<Datagram> all;
  for (const auto& s : Sockets)
    all.insert(all.end(), s->Sent.begin(), s->Sent.end());
  return all;
}

// Each on a copy of the callback: the owner may replace it, or destroy the socket, inside.
void MemorySocketLayer::TellReadable(const SocketState& socket) const {
  if (const auto call = socket.Owner.Readable) call();
}

void MemorySocketLayer::TellConnected(const SocketState& socket, int error) const {
  if (const auto call = socket.Owner.Connected) call(error);
}

void MemorySocketLayer::TellClosed(const SocketState& socket, int error) const {
  if (const auto call = socket.Owner.Closed) call(error);
}

void MemorySocketLayer::Deliver(SocketState& socket, std::vector<std::uint8_t> bytes,
                                Ipv4 fromAddress, std::uint16_t fromPort) {
  socket.Incoming.push_back({std::move(bytes), TINetSocketAddress(fromPort, fromAddress)});
  TellReadable(socket);
}

void MemorySocketLayer::AcceptConnect(SocketState& socket) {
  socket.Connected = true;
  TellConnected(socket, 0);
}

void MemorySocketLayer::DeliverStream(SocketState& socket, const std::string& bytes) {
  socket.IncomingChunks.emplace_back(bytes.begin(), bytes.end());
  TellReadable(socket);
}

TInterfaceAddress OnInterface(unsigned a, unsigned b, unsigned c, unsigned d, unsigned index,
                              const std::string& name) {
  return {Ipv4(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
               static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)),
          index, name, true};
}
