#pragma once

#include <cstdint>
#include <functional>

#include "platform/event_loop.h"

// A timer of the event loop set to a time of the simulator's clock (MonotonicMs): the next
// timed work of a service, moved whenever that changes. Calls back once per setting.
class DeadlineTimer {
 public:
  DeadlineTimer(TEventLoop& loop, std::function<void()> callback);
  ~DeadlineTimer();
  DeadlineTimer(const DeadlineTimer&) = delete;
  DeadlineTimer& operator=(const DeadlineTimer&) = delete;

  // Calls back at `dueMs`, from the loop (in its next pass if that time has come); a negative
  // time cancels. Replaces the time set before.
  void At(std::int64_t dueMs);

 private:
  TEventLoop& loop_;
  std::function<void()> callback_;
  int timerId_ = 0;  // 0: not set
  std::int64_t dueMs_ = -1;
};
