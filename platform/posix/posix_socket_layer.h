#pragma once

#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "platform/socket_layer.h"

// The socket layer on POSIX. Sockets and watches made by it report through the event loop
// given here, which must outlive them.
class PosixSocketLayer final : public TSocketLayer {
 public:
  explicit PosixSocketLayer(TEventLoop& loop) : Loop(loop) {}

  // True when the system lets this process make an IPv4 socket.
  bool IsAvailable() override;
  // Nothing to start on this system.
  void Startup(int /*major*/, int /*minor*/) override {}
  std::unique_ptr<TDatagramSocket> NewDatagramSocket(const TLocalBinding& own) override;
  std::unique_ptr<TStreamSocket> NewStreamSocket(const TLocalBinding& own) override;
  // The machine's own IPv4 addresses, in the order the system lists its interface addresses,
  // from interfaces that are up, loopback left out.
  bool ReadOwnAddresses(THostEntry& entry) override;
  std::unique_ptr<TAddressWatch> WatchAddresses(std::function<void()> changed) override;
  std::string GetReasonString(int error) const override;

 private:
  TEventLoop& Loop;
};
