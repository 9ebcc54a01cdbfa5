#pragma once

#include <functional>
#include <memory>

#include "platform/event_loop.h"
#include "platform/socket_layer.h"

// Watches the machine's IPv4 addresses and links through a routing netlink socket. After every
// burst of changes that the system reports (an address added or removed, a link up or down),
// the callback runs once, from the event loop.
class NetlinkAddressWatch final : public TAddressWatch {
 public:
  // nullptr when no netlink socket can be opened.
  static std::unique_ptr<NetlinkAddressWatch> Open(TEventLoop& loop, std::function<void()> changed);
  ~NetlinkAddressWatch() override;
  NetlinkAddressWatch(const NetlinkAddressWatch&) = delete;
  NetlinkAddressWatch& operator=(const NetlinkAddressWatch&) = delete;

 private:
  NetlinkAddressWatch(TEventLoop& loop, int fd, std::function<void()> changed);
  void OnReadable();

  TEventLoop& Loop;
  int Fd;
  int WatchId = 0;
  std::function<void()> Changed;
};
