// The simulator's pieces on the event loop: a deadline timer calls back once, never before its
// time and never after it was moved away or cancelled, and a stop signal that comes before the
// loop waits is kept for it.
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/poll_event_loop.h"
#include "tools/gateway_sim/deadline_timer.h"
#include "tools/gateway_sim/sim_clock.h"
#include "tools/gateway_sim/stop_signals.h"

namespace {

using namespace std::chrono_literals;

// A bound against a hang only; the loop waits for its timers and descriptors by itself.
PollEventLoop::Clock::time_point Bound() {
  return PollEventLoop::Clock::now() + 5s;
}

TEST(DeadlineTimerTest, CallsBackOnceAtTheLastTimeSetNeverEarlyAndNotWhenCancelled) {
  PollEventLoop loop;
  std::vector<std::int64_t> calls;
  DeadlineTimer timer(loop, [&] { calls.push_back(MonotonicMs()); });
  const std::int64_t start = MonotonicMs();
  timer.At(start + 60000);
  timer.At(start + 20);  // moved nearer: the first time no longer counts
  ASSERT_TRUE(loop.RunUntil([&] { return !calls.empty(); }, Bound()));
  EXPECT_GE(calls[0], start + 20);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 1u);

  timer.At(start);  // already past: due in the next pass
  timer.At(-1);
  loop.RunOnce(0ms);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 1u);

  {
    DeadlineTimer gone(loop, [&] { calls.push_back(-1); });
    gone.At(start);
  }
  loop.RunOnce(0ms);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 1u) << "a timer destroyed before its time calls nobody";
}

TEST(DeadlineTimerTest, SetAgainFromItsOwnCallbackItCallsBackAgain) {
  PollEventLoop loop;
  int calls = 0;
  std::optional<DeadlineTimer> timer;
  timer.emplace(loop, [&] {
    if (++calls < 3) timer->At(MonotonicMs());
  });
  timer->At(MonotonicMs());
  ASSERT_TRUE(loop.RunUntil([&] { return calls == 3; }, Bound()));
  loop.RunOnce(0ms);
  EXPECT_EQ(calls, 3);
}

TEST(StopSignalsTest, ASignalThatComesBeforeTheLoopWaitsIsKeptForIt) {
  StopSignals signals;
  std::string error;
  ASSERT_TRUE(signals.Open(error)) << error;
  EXPECT_EQ(signals.Take(), nullptr);

  // Blocked from Open() on: both wait on the descriptor instead of ending the process.
  std::raise(SIGTERM);
  std::raise(SIGINT);
  PollEventLoop loop;
  std::vector<std::string> taken;
  loop.AddWatch(signals.Fd(), TEventLoop::WatchKind::Read, [&] {
    if (const char* name = signals.Take()) taken.emplace_back(name);
  });
  ASSERT_TRUE(loop.RunUntil([&] { return taken.size() == 2; }, Bound()));
  EXPECT_EQ(taken, (std::vector<std::string>{"SIGINT", "SIGTERM"}));
}

}  // namespace
