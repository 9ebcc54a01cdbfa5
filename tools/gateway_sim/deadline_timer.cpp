#include "tools/gateway_sim/deadline_timer.h"

#include <chrono>
#include <utility>

#include "tools/gateway_sim/sim_clock.h"

DeadlineTimer::DeadlineTimer(TEventLoop& loop, std::function<void()> callback)
    : loop_(loop), callback_(std::move(callback)) {}

DeadlineTimer::~DeadlineTimer() {
  At(-1);
}

void DeadlineTimer::At(std::int64_t dueMs) {
  // Services set their timer after every event; most of the time nothing has moved.
  if (dueMs < 0) dueMs = -1;
  if (dueMs == dueMs_) return;
  if (timerId_ != 0) loop_.StopTimer(timerId_);
  timerId_ = 0;
  dueMs_ = dueMs;
  if (dueMs < 0) return;
  // The loop's clock is the monotonic clock too, and counts finer: it never calls back before
  // MonotonicMs() has reached dueMs.
  timerId_ = loop_.StartTimer(std::chrono::milliseconds(dueMs - MonotonicMs()), [this] {
    timerId_ = 0;
    dueMs_ = -1;
    callback_();
  });
}
