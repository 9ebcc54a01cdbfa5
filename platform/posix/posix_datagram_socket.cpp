#include "platform/posix/posix_datagram_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/posix/own_interfaces.h"
#include "platform/posix/winsock_errors.h"

namespace {

constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

// A message of one part with the peer's address; no control data yet.
msghdr OnePartMessage(sockaddr_in& peer, iovec& part) {
  msghdr message;
  std::memset(&message, 0, sizeof message);
  message.msg_name = &peer;
  message.msg_namelen = sizeof peer;
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  return message;
}

// Receives, or with MSG_PEEK looks at, one datagram with its source and arrival information.
// With MSG_TRUNC the result is the datagram's full length. -1 with errno on failure.
ssize_t ReceiveOne(int fd, void* buffer, std::size_t room, int flags, DatagramArrival& arrival) {
  sockaddr_in source;
  std::memset(&source, 0, sizeof source);
  iovec part{buffer, room};
  alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))];
  msghdr message = OnePartMessage(source, part);
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t length = recvmsg(fd, &message, flags | MSG_DONTWAIT);
  if (length < 0) return length;
  arrival.SourceAddress = source.sin_addr.s_addr;
  arrival.SourcePort = source.sin_port;
  for (cmsghdr* item = CMSG_FIRSTHDR(&message); item != nullptr;
       item = CMSG_NXTHDR(&message, item)) {
    if (item->cmsg_level != IPPROTO_IP || item->cmsg_type != IP_PKTINFO) continue;
    in_pktinfo info;
    std::memcpy(&info, CMSG_DATA(item), sizeof info);
    arrival.HasInfo = true;
    arrival.Interface = static_cast<unsigned>(info.ipi_ifindex);
    arrival.Destination = info.ipi_addr.s_addr;
  }
  return length;
}

}  // namespace

PosixDatagramSocket::PosixDatagramSocket(TEventLoop& loop, const TLocalBinding& own)
    : Core(loop, SOCK_DGRAM, *this), Own(own) {}

int PosixDatagramSocket::CreateSocket() {
  ResetBinding();
  HasHeld = false;
  if (Core.Create() != 0) return -1;
  Core.WantRead(true);
  return 0;
}

int PosixDatagramSocket::StartRegularNotification() {
  return Core.StartNotification();
}

int PosixDatagramSocket::CloseSocket() {
  ResetBinding();
  HasHeld = false;
  return Core.Close();
}

void PosixDatagramSocket::ResetBinding() {
  Bound = false;
  BoundPort = 0;
  BoundInterface = 0;
  InterfaceBroadcast = 0;
}

TINetSocketAddress PosixDatagramSocket::GetSocketAddress() const {
  return TINetSocketAddress(Bound ? BoundPort : Own.Address.GetPort(),
                            Own.Address.GetNetworkAddress());
}

int PosixDatagramSocket::BindSocket() {
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  if (Bound) return Core.Fail(wsa::EINVAL_);
  const int fd = Core.Fd();
  sockaddr_in local = ToSockAddr(Own.Address);
  unsigned tiedTo = 0;
  std::uint32_t broadcast = 0;
  if (Own.InterfaceIndex != 0) {
    const std::optional<OwnAddress> owner = FindAddressOnInterface(
        Own.Address.GetNetworkAddress(), Own.InterfaceIndex, Own.InterfaceName);
    if (!owner) return Core.Fail(wsa::EADDRNOTAVAIL_);
    if (TieToInterface(fd, Own) != 0) {
      // Kernels before 5.7 allow this only with privilege. The interface filter below and
      // the interface named on every send keep the endpoint on its interface without it.
      if (errno != EPERM && errno != EACCES) return Core.FailWithErrno(errno);
    }
    const int on = 1;
    if (setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0) {
      return Core.FailWithErrno(errno);
    }
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    tiedTo = owner->InterfaceIndex;
    broadcast = owner->Broadcast;
  }
  if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return Core.FailWithErrno(errno);
  }
  sockaddr_in bound;
  socklen_t length = sizeof bound;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    return Core.FailWithErrno(errno);
  }
  Bound = true;
  BoundPort = bound.sin_port;
  BoundInterface = tiedTo;
  InterfaceBroadcast = broadcast;
  return 0;
}

int PosixDatagramSocket::Write(const std::uint8_t* bytes, int count, const TINetSocketAddress& to) {
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  if (count < 0) return Core.Fail(wsa::EINVAL_);
  if (bytes == nullptr && count > 0) return Core.Fail(wsa::EFAULT_);
  // 0.0.0.0 would reach this machine; it is no destination.
  if (to.GetNetworkAddress() == 0) return Core.Fail(wsa::EADDRNOTAVAIL_);
  // A socket made for one of the machine's addresses sends only once it is tied to that
  // address's interface; before, the system would pick the source and the interface itself.
  if (!Bound && Own.Address.GetNetworkAddress() != 0) return Core.Fail(wsa::EINVAL_);

  sockaddr_in destination = ToSockAddr(to);
  iovec part{const_cast<std::uint8_t*>(bytes), static_cast<std::size_t>(count)};
  msghdr message = OnePartMessage(destination, part);
  alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))];
  std::memset(control, 0, sizeof control);
  if (BoundInterface != 0) {
    // Out of the chosen interface only, from the chosen address (also when it is a secondary
    // address of that interface).
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* item = CMSG_FIRSTHDR(&message);
    item->cmsg_level = IPPROTO_IP;
    item->cmsg_type = IP_PKTINFO;
    item->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info;
    std::memset(&info, 0, sizeof info);
    info.ipi_ifindex = static_cast<int>(BoundInterface);
    info.ipi_spec_dst.s_addr = Own.Address.GetNetworkAddress();
    std::memcpy(CMSG_DATA(item), &info, sizeof info);
  }
  const ssize_t sent = sendmsg(Core.Fd(), &message, MSG_DONTWAIT | MSG_NOSIGNAL);
  if (sent < 0) return Core.FailWithErrno(errno);
  return static_cast<int>(sent);
}

bool PosixDatagramSocket::Keeps(const DatagramArrival& arrival) const {
  if (BoundInterface == 0) return true;
  if (!arrival.HasInfo || arrival.Interface != BoundInterface) return false;
  const std::uint32_t own = Own.Address.GetNetworkAddress();
  if (arrival.SourceAddress == own && arrival.SourcePort == BoundPort) return false;
  return arrival.Destination == own || arrival.Destination == kLimitedBroadcast ||
         (InterfaceBroadcast != 0 && arrival.Destination == InterfaceBroadcast);
}

bool PosixDatagramSocket::TakeNextKept() {
  for (int dropped = 0; dropped < kDropLimit; ++dropped) {
    DatagramArrival arrival;
    const ssize_t length = ReceiveOne(Core.Fd(), Held.data(), Held.size(), MSG_TRUNC, arrival);
    if (length < 0) {
      if (errno == EAGAIN || errno == EINTR) return false;
      HeldError = WinSockErrorFromErrno(errno);  // the read reports it
      HasHeld = true;
      return true;
    }
    if (!Keeps(arrival)) continue;  // consumed silently
    HasHeld = true;
    HeldError = 0;
    HeldLength = static_cast<std::size_t>(length);
    HeldArrival = arrival;
    return true;
  }
  return false;
}

int PosixDatagramSocket::Read(std::uint8_t* buffer, int& roomAndCount, TINetSocketAddress& from) {
  const int room = roomAndCount;
  roomAndCount = 0;
  if (!Core.IsOpen()) return Core.Fail(wsa::ENOTSOCK_);
  Core.WantRead(true);  // a read re-enables read notifications
  if (room < 0) return Core.Fail(wsa::EINVAL_);
  if (buffer == nullptr && room > 0) return Core.Fail(wsa::EFAULT_);
  if (!HasHeld && !TakeNextKept()) return Core.Fail(wsa::EWOULDBLOCK_);
  HasHeld = false;
  if (HeldError != 0) return Core.Fail(HeldError);
  from = TINetSocketAddress(HeldArrival.SourcePort, HeldArrival.SourceAddress);
  const auto fits = static_cast<std::size_t>(room);
  std::memcpy(buffer, Held.data(), std::min(HeldLength, std::min(fits, Held.size())));
  // A datagram longer than the room is gone: the part that fitted is not a datagram.
  if (HeldLength > fits || HeldLength > Held.size()) return Core.Fail(wsa::EMSGSIZE_);
  roomAndCount = static_cast<int>(HeldLength);
  return roomAndCount;
}

void PosixDatagramSocket::OnReadable() {
  const std::weak_ptr<const void> alive = Core.Liveness();
  for (int round = 0; round < kReadsPerPass; ++round) {
    // Nothing kept waits (or more to drop: the watch stays on and the next pass goes on).
    if (!HasHeld && !TakeNextKept()) return;
    Core.WantRead(false);
    Core.Notify(FD_READ, 0);
    // The window may have closed or destroyed the socket, or not read.
    if (alive.expired() || !Core.ReadIsWanted()) return;
  }
}
