#include "platform/posix/address_watch.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::unique_ptr<NetlinkAddressWatch> NetlinkAddressWatch::Open(TEventLoop& loop,
                                                               std::function<void()> changed) {
  const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
  if (fd < 0) return nullptr;
  sockaddr_nl local;
  std::memset(&local, 0, sizeof local);
  local.nl_family = AF_NETLINK;
  local.nl_groups = RTMGRP_IPV4_IFADDR | RTMGRP_LINK;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<NetlinkAddressWatch>(
      new NetlinkAddressWatch(loop, fd, std::move(changed)));
}

NetlinkAddressWatch::NetlinkAddressWatch(TEventLoop& loop, int fd, std::function<void()> changed)
    : Loop(loop), Fd(fd), Changed(std::move(changed)) {
  WatchId = Loop.AddWatch(Fd, TEventLoop::WatchKind::Read, [this] { OnReadable(); });
}

NetlinkAddressWatch::~NetlinkAddressWatch() {
  Loop.RemoveWatch(WatchId);
  close(Fd);
}

void NetlinkAddressWatch::OnReadable() {
  // What changed does not matter: the owner reads the whole list again. A full receive queue
  // (ENOBUFS) lost some reports, which is one more reason to read it again.
  char buffer[8192];
  for (;;) {
    const ssize_t got = recv(Fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0 || (got < 0 && (errno == EINTR || errno == ENOBUFS))) continue;
    break;
  }
  // Last, on a copy: the owner may end the watch.
  const std::function<void()> changed = Changed;
  changed();
}
