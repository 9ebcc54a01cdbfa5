#include "platform/posix/socket_core.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/posix/winsock_errors.h"

sockaddr_in ToSockAddr(const TINetSocketAddress& address) {
  sockaddr_in result;
  std::memset(&result, 0, sizeof result);
  result.sin_family = AF_INET;
  result.sin_port = address.GetPort();
  result.sin_addr.s_addr = address.GetNetworkAddress();
  return result;
}

TINetSocketAddress FromSockAddr(const sockaddr_in& address) {
  return TINetSocketAddress(address.sin_port, address.sin_addr.s_addr);
}

SocketCore::SocketCore(TEventLoop& loop, int type, SocketEvents& events)
    : Loop(loop), Type(type), Events(events) {}

SocketCore::~SocketCore() {
  if (IsOpen()) Close();
}

int SocketCore::Create() {
  if (IsOpen()) Close();
  const int fd = socket(AF_INET, Type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return FailWithErrno(errno);
  Descriptor = fd;
  Current = std::make_shared<Token>(Token{this});
  Notifying = false;
  ReadWanted = false;
  WriteWanted = false;
  return 0;
}

int SocketCore::Close() {
  if (!IsOpen()) return Fail(wsa::ENOTSOCK_);
  RemoveWatches();
  Current.reset();
  Notifying = false;
  const int fd = Descriptor;
  Descriptor = -1;
  if (close(fd) != 0 && errno != EINTR) return FailWithErrno(errno);
  return 0;
}

int SocketCore::StartNotification() {
  if (!IsOpen()) return Fail(wsa::ENOTSOCK_);
  Notifying = true;
  UpdateWatches();
  return 0;
}

int SocketCore::SetBroadcast(bool on) {
  if (!IsOpen()) return Fail(wsa::ENOTSOCK_);
  const int value = on ? 1 : 0;
  if (setsockopt(Descriptor, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) != 0) {
    return FailWithErrno(errno);
  }
  return 0;
}

void SocketCore::WantRead(bool wanted) {
  if (ReadWanted == wanted) return;
  ReadWanted = wanted;
  UpdateWatches();
}

void SocketCore::WantWrite(bool wanted) {
  if (WriteWanted == wanted) return;
  WriteWanted = wanted;
  UpdateWatches();
}

void SocketCore::StopNotification() {
  Notifying = false;
  RemoveWatches();
}

int SocketCore::Fail(int error) {
  Error = error;
  return -1;
}

int SocketCore::FailWithErrno(int errnoValue) {
  return Fail(WinSockErrorFromErrno(errnoValue));
}

void SocketCore::Notify(unsigned event, int error) {
  TMessageTarget* const window = Window;
  if (window == nullptr) return;
  const auto handle = static_cast<std::uintptr_t>(Descriptor);
  const auto word = static_cast<std::intptr_t>(MakeLong(event, static_cast<unsigned>(error)));
  window->WindowProc(WM_SOCKET_NOTIFY, handle, word);
}

int SocketCore::AddWatch(TEventLoop::WatchKind kind) {
  std::weak_ptr<Token> token = Current;
  return Loop.AddWatch(Descriptor, kind, [token, kind] {
    SocketCore* core = nullptr;
    {
      // Not held during the handler, so that Liveness() expires if the window closes or
      // destroys the socket inside it.
      const std::shared_ptr<Token> live = token.lock();
      if (!live) return;  // the descriptor this watch was made for is gone
      core = live->Core;
    }
    if (kind == TEventLoop::WatchKind::Read) {
      if (core->ReadWanted) core->Events.OnReadable();
    } else {
      if (core->WriteWanted) core->Events.OnWritable();
    }
  });
}

void SocketCore::UpdateWatches() {
  if (!IsOpen() || !Notifying) return;
  if (ReadWatch == 0 && ReadWanted) ReadWatch = AddWatch(TEventLoop::WatchKind::Read);
  if (WriteWatch == 0 && WriteWanted) WriteWatch = AddWatch(TEventLoop::WatchKind::Write);
  if (ReadWatch != 0) Loop.EnableWatch(ReadWatch, ReadWanted);
  if (WriteWatch != 0) Loop.EnableWatch(WriteWatch, WriteWanted);
}

void SocketCore::RemoveWatches() {
  if (ReadWatch != 0) Loop.RemoveWatch(ReadWatch);
  if (WriteWatch != 0) Loop.RemoveWatch(WriteWatch);
  ReadWatch = 0;
  WriteWatch = 0;
}
