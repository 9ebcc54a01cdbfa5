#include "platform/posix/posix_stream_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <memory>

#include "platform/posix/own_interfaces.h"
#include "platform/posix/winsock_errors.h"

PosixStreamSocket::PosixStreamSocket(TEventLoop& loop, const TLocalBinding& own)
    : Core(loop, SOCK_STREAM, *this), Own(own) {}

int PosixStreamSocket::CreateSocket() {
  Current = State::Closed;
  BoundPort = 0;
  if (Core.Create() != 0) return -1;
  Current = State::Open;
  ReadArmed = true;
  CloseError = 0;
  FollowState();
  return 0;
}

int PosixStreamSocket::CloseSocket() {
  Current = State::Closed;
  BoundPort = 0;
  return Core.Close();
}

TINetSocketAddress PosixStreamSocket::GetSocketAddress() const {
  return TINetSocketAddress(BoundPort != 0 ? BoundPort : Own.Address.GetPort(),
                            Own.Address.GetNetworkAddress());
}

int PosixStreamSocket::BindSocket() {
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  if (Own.InterfaceIndex != 0) {
    if (!FindAddressOnInterface(Own.Address.GetNetworkAddress(), Own.InterfaceIndex,
                                Own.InterfaceName)) {
      return Core.Fail(wsa::EADDRNOTAVAIL_);
    }
    // Bound to the address alone, the connection would leave by whatever interface the routes
    // pick, which is the wrong wire when another interface has the same address.
    if (TieToInterface(Core.Fd(), Own) != 0) return Core.FailWithErrno(errno);
  }
  const sockaddr_in local = ToSockAddr(Own.Address);
  if (bind(Core.Fd(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return Core.FailWithErrno(errno);
  }
  sockaddr_in bound;
  socklen_t length = sizeof bound;
  if (getsockname(Core.Fd(), reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
    BoundPort = bound.sin_port;
  }
  return 0;
}

int PosixStreamSocket::Connect(const TINetSocketAddress& peer) {
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  if (Current == State::Connecting) return Core.Fail(wsa::EALREADY_);
  if (Current != State::Open) return Core.Fail(wsa::EISCONN_);
  // 0.0.0.0 would connect to this machine; it is no peer.
  if (peer.GetNetworkAddress() == 0) return Core.Fail(wsa::EADDRNOTAVAIL_);
  const sockaddr_in remote = ToSockAddr(peer);
  if (connect(Core.Fd(), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0 &&
      errno != EINPROGRESS) {
    return Core.FailWithErrno(errno);
  }
  // Finished at once or not: the outcome is reported by FD_CONNECT, as for every
  // non-blocking connect.
  Current = State::Connecting;
  FollowState();
  return Core.Fail(wsa::EWOULDBLOCK_);
}

int PosixStreamSocket::Read(std::uint8_t* buffer, int& roomAndCount) {
  const int room = roomAndCount;
  roomAndCount = 0;
  if (!Core.IsOpen() || (Current != State::Connected && Current != State::Ended)) {
    return Core.Fail(wsa::ENOTCONN_);
  }
  if (!ReadArmed) {
    ReadArmed = true;  // a read re-enables read notifications
    FollowState();
  }
  if (room < 0) return Core.Fail(wsa::EINVAL_);
  if (buffer == nullptr && room > 0) return Core.Fail(wsa::EFAULT_);
  const ssize_t count = recv(Core.Fd(), buffer, static_cast<std::size_t>(room), MSG_DONTWAIT);
  if (count < 0) {
    const int error = WinSockErrorFromErrno(errno);
    if (error != wsa::EWOULDBLOCK_ && CloseError == 0) CloseError = error;
    return Core.Fail(error);
  }
  roomAndCount = static_cast<int>(count);
  return roomAndCount;
}

int PosixStreamSocket::ShutDownSocket(int how) {
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  if (how < 0 || how > 2) return Core.Fail(wsa::EINVAL_);
  // 0, 1, 2 are SHUT_RD, SHUT_WR, SHUT_RDWR.
  if (shutdown(Core.Fd(), how) != 0) return Core.FailWithErrno(errno);
  return 0;
}

int PosixStreamSocket::SetDeadPeerTimeout(int seconds) {
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  if (seconds < 6) return Core.Fail(wsa::EINVAL_);
  // Probes start after a third of the time and come every sixth; the user timeout ends the
  // connection once the peer has been silent for the whole time, probes unanswered.
  const int on = 1, idle = seconds / 3, interval = seconds / 6, probes = 3;
  const unsigned userTimeoutMs = static_cast<unsigned>(seconds) * 1000u;
  const int fd = Core.Fd();
  if (setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs) != 0) {
    return Core.FailWithErrno(errno);
  }
  return 0;
}

void PosixStreamSocket::FollowState() {
  Core.WantWrite(Current == State::Connecting);
  Core.WantRead(Current == State::Connected && ReadArmed);
}

void PosixStreamSocket::OnWritable() {
  if (Current != State::Connecting) return;
  int pending = 0;
  socklen_t length = sizeof pending;
  if (getsockopt(Core.Fd(), SOL_SOCKET, SO_ERROR, &pending, &length) != 0) pending = errno;
  if (pending == 0) {
    sockaddr_in peer;
    socklen_t peerLength = sizeof peer;
    if (getpeername(Core.Fd(), reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) {
      if (errno == ENOTCONN) return;  // not decided yet
      pending = errno;
    }
  }
  Current = pending == 0 ? State::Connected : State::Ended;
  ReadArmed = true;
  FollowState();
  if (Current == State::Ended) Core.StopNotification();
  Core.Notify(FD_CONNECT, WinSockErrorFromErrno(pending));
}

void PosixStreamSocket::OnReadable() {
  const std::weak_ptr<const void> alive = Core.Liveness();
  for (int round = 0; round < kReadsPerPass; ++round) {
    if (Current != State::Connected) return;
    int error = CloseError;
    if (error == 0) {
      char next = 0;
      const ssize_t peeked = recv(Core.Fd(), &next, 1, MSG_PEEK | MSG_DONTWAIT);
      if (peeked > 0) {
        ReadArmed = false;
        FollowState();
        Core.Notify(FD_READ, 0);
        // The window may have closed or destroyed the socket, or not read.
        if (alive.expired() || !ReadArmed) return;
        continue;
      }
      if (peeked < 0) {
        if (errno == EAGAIN || errno == EINTR) return;
        error = WinSockErrorFromErrno(errno);
      }
    }
    // Only the end of the stream, or the error that ended it, is left.
    Current = State::Ended;
    Core.StopNotification();
    Core.Notify(FD_CLOSE, error);
    return;
  }
}
