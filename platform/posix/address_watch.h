#pragma once

#include "platform/event_loop.h"
#include "platform/socket_layer.h"

// Watches the machine's IPv4 addresses and links through a routing netlink socket. After every
// burst of changes that the system reports (an address added or removed, a link up or down),
// the window gets the message once, from the event loop.
class NetlinkAddressWatch final : public TAddressWatch {
 public:
  // nullptr when no netlink socket can be opened.
  static std::unique_ptr<NetlinkAddressWatch> Open(TEventLoop& loop, TMessageTarget& window,
                                                   unsigned message);
  ~NetlinkAddressWatch() override;
  NetlinkAddressWatch(const NetlinkAddressWatch&) = delete;
  NetlinkAddressWatch& operator=(const NetlinkAddressWatch&) = delete;

 private:
  NetlinkAddressWatch(TEventLoop& loop, int fd, TMessageTarget& window, unsigned message);
  void OnReadable();

  TEventLoop& Loop;
  int Fd;
  int WatchId = 0;
  TMessageTarget& Window;
  unsigned Message;
};
