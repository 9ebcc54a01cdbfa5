// Timers of the poll(2) event loop: each runs once, in the order of its due time, and a stopped
// one never does.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/poll_event_loop.h"

using namespace std::chrono_literals;

TEST(EventLoopTimersTest, RunOnceInDueOrderAndNeverWhenStopped) {
  PollEventLoop loop;
  std::string order;
  loop.StartTimer(30ms, [&] {
    order += 'c';
    loop.StartTimer(0ms, [&] { order += 'd'; });  // started by a timer: runs at a later pass
  });
  const int stopped = loop.StartTimer(10ms, [&] { order += 'x'; });
  loop.StartTimer(20ms, [&] {
    order += 'b';
    loop.StopTimer(stopped);  // already stopped: nothing happens
  });
  loop.StartTimer(-5ms, [&] { order += 'a'; });
  loop.StopTimer(stopped);
  // The bound only guards against a hang; the loop waits for its timers by itself.
  EXPECT_TRUE(loop.RunUntil([&] { return order.size() == 4; }, PollEventLoop::Clock::now() + 5s));
  EXPECT_EQ(order, "abcd");
  loop.RunOnce(0ms);
  EXPECT_EQ(order, "abcd");
}
