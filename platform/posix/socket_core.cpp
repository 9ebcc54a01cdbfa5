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

int TieToInterface(int fd, const TLocalBinding& own) {
#ifdef SO_BINDTOIFINDEX
  const int index = static_cast<int>(own.InterfaceIndex);
  if (setsockopt(fd, SOL_SOCKET, SO_BINDTOIFINDEX, &index, sizeof index) == 0) return 0;
  if (errno != ENOPROTOOPT) return -1;
#endif
  // The name was checked against the index just before; a rename in between is not followed.
  return setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, own.InterfaceName.c_str(),
                    static_cast<socklen_t>(own.InterfaceName.size()));
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
  InWatchCall = false;
  OffPending = false;
  return 0;
}

int SocketCore::Close() {
  if (!IsOpen()) return Fail(wsa::ENOTSOCK_);
  RemoveWatches();
  Current.reset();
  Notifying = false;
  InWatchCall = false;
  OffPending = false;
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
  FollowWants(wanted);
}

void SocketCore::WantWrite(bool wanted) {
  if (WriteWanted == wanted) return;
  WriteWanted = wanted;
  FollowWants(wanted);
}

void SocketCore::FollowWants(bool wantedMore) {
  if (!wantedMore && InWatchCall) {
    OffPending = true;  // see the class comment
    return;
  }
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
  return Loop.AddWatch(Descriptor, kind, [token, kind] { RunWatch(token, kind); });
}

void SocketCore::RunWatch(const std::weak_ptr<Token>& token, TEventLoop::WatchKind kind) {
  SocketCore* core = nullptr;
  {
    // Not held during the handler, so that Liveness() expires if the window closes or
    // destroys the socket inside it.
    const std::shared_ptr<Token> live = token.lock();
    if (!live) return;  // the descriptor this watch was made for is gone
    core = live->Core;
  }
  const bool read = kind == TEventLoop::WatchKind::Read;
  if (!(read ? core->ReadWanted : core->WriteWanted)) {
    core->UpdateWatches();  // a switch-off put off by a handler that ran a nested loop
    return;
  }
  const bool outermost = !core->InWatchCall;
  core->InWatchCall = true;
  if (read) {
    core->Events.OnReadable();
  } else {
    core->Events.OnWritable();
  }
  // A closed, replaced or destroyed descriptor has expired the token: nothing to do then.
  if (!outermost || token.expired()) return;
  core->InWatchCall = false;
  if (core->OffPending) {
    core->OffPending = false;
    core->UpdateWatches();
  }
}

void SocketCore::UpdateWatches() {
  if (!IsOpen() || !Notifying) return;
  if (ReadWatch == 0 && ReadWanted) {
    ReadWatch = AddWatch(TEventLoop::WatchKind::Read);
    ReadWatchOn = true;
  }
  if (WriteWatch == 0 && WriteWanted) {
    WriteWatch = AddWatch(TEventLoop::WatchKind::Write);
    WriteWatchOn = true;
  }
  if (ReadWatch != 0 && ReadWatchOn != ReadWanted) {
    Loop.EnableWatch(ReadWatch, ReadWanted);
    ReadWatchOn = ReadWanted;
  }
  if (WriteWatch != 0 && WriteWatchOn != WriteWanted) {
    Loop.EnableWatch(WriteWatch, WriteWanted);
    WriteWatchOn = WriteWanted;
  }
}

void SocketCore::RemoveWatches() {
  if (ReadWatch != 0) Loop.RemoveWatch(ReadWatch);
  if (WriteWatch != 0) Loop.RemoveWatch(WriteWatch);
  ReadWatch = 0;
  WriteWatch = 0;
  ReadWatchOn = false;
  WriteWatchOn = false;
}
