#pragma once

#include <chrono>
#include <functional>

// The event loop as sockets and tools need it: readiness of file descriptors, timers and
// deferred calls, all run on the one thread that runs the loop.
class TEventLoop {
 public:
  enum class WatchKind { Read, Write };
  using Callback = std::function<void()>;

  virtual ~TEventLoop() = default;

  // Calls back while the condition holds and the watch is enabled (level-triggered).
  // Yields a watch id, never 0.
  virtual int AddWatch(int fd, WatchKind kind, Callback callback) = 0;
  virtual void EnableWatch(int watchId, bool enabled) = 0;
  // Stops the watch at once; safe inside the watch's own callback. Remove a descriptor's
  // watches before closing it, so that a reused descriptor never wakes an old watch.
  virtual void RemoveWatch(int watchId) = 0;
  // Runs the call once, later, from the loop.
  virtual void Post(Callback call) = 0;

  // Calls back once, `delay` from now (at once for a delay of 0 or less, from the loop).
  // Yields a timer id, never 0.
  virtual int StartTimer(std::chrono::milliseconds delay, Callback callback) = 0;
  // The timer does not call back; safe for a timer that has run or was stopped.
  virtual void StopTimer(int timerId) = 0;
};
