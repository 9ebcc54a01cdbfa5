#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "platform/socket_layer.h"

// Host information on POSIX.
//
// The PC's host entry is the machine's own IPv4 addresses, in the order the system lists its
// interface addresses, from interfaces that are up, loopback left out. A synchronous look-up
// answers for the machine's own name (and for an empty name) with that entry, and for a
// dotted-decimal name with that one address; any other name is not found (11001).
//
// An asynchronous look-up ends with `message` to the window, wParam = the request's handle,
// lParam = MakeLong(0, error), always later from the event loop, never inside the call that
// started it. An empty name, a dotted-decimal name and the own name succeed at once. Any other
// name is resolved by getaddrinfo on a worker thread, whose result comes back through a
// socket pair watched by the event loop. One look-up runs at a time: starting another
// abandons the one under way. After CancelHostRequest, or once the manager is gone, no
// completion of an abandoned look-up arrives.
class PosixHostInfoManager final : public THostInfoManager {
 public:
  explicit PosixHostInfoManager(TEventLoop& loop);
  ~PosixHostInfoManager() override;
  PosixHostInfoManager(const PosixHostInfoManager&) = delete;
  PosixHostInfoManager& operator=(const PosixHostInfoManager&) = delete;

  std::string GetHostName(int bufferSize) override;
  int GetHostInfo(THostEntry& entry, const std::string& name) override;
  int GetHostInfoAsync(TMessageTarget& window, const std::string& name, unsigned message) override;
  void CancelHostRequest() override;
  int GetLastError() const override { return Error; }

  // The handle of the look-up under way (its completion's wParam); 0 when none runs.
  std::uintptr_t PendingRequest() const { return Request; }

 private:
  bool IsOwnName(const std::string& name) const;
  int StartWorker(const std::string& name);
  void OnWorkerResult();
  void Finish(std::uintptr_t request, int error);

  TEventLoop& Loop;
  int Error = 0;
  std::uintptr_t LastRequest = 0;
  // The look-up under way.
  std::uintptr_t Request = 0;
  TMessageTarget* Window = nullptr;
  unsigned Message = 0;
  int ResultFd = -1;
  int ResultWatch = 0;
  // Posted completions hold a weak reference: they do nothing once the manager is gone.
  std::shared_ptr<PosixHostInfoManager*> Self;
};
