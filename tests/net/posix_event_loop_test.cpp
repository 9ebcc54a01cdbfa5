// The poll(2) event loop: level-triggered watches, removal inside callbacks, posted calls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/posix/poll_event_loop.h"

namespace {

using namespace std::chrono_literals;

struct Pipe {
  int Read = -1;
  int Write = -1;
  Pipe() {
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
      Read = ends[0];
      Write = ends[1];
    }
  }
  ~Pipe() {
    close(Read);
    close(Write);
  }
  void Put() { ASSERT_EQ(write(Write, "x", 1), 1); }
  void Take() {
    char byte;
    ASSERT_EQ(read(Read, &byte, 1), 1);
  }
};

TEST(PollEventLoop, ReadWatchIsCalledOnEveryPassWhileDataWaitsAndNotWhenDisabledOrDrained) {
  PollEventLoop loop;
  Pipe pipe;
  int calls = 0;
  const int id = loop.AddWatch(pipe.Read, TEventLoop::WatchKind::Read, [&] { ++calls; });
  EXPECT_NE(id, 0);

  loop.RunOnce(0ms);
  EXPECT_EQ(calls, 0);
  pipe.Put();
  for (int pass = 0; pass < 3; ++pass)
    loop.RunOnce(0ms);
  EXPECT_EQ(calls, 3);

  loop.EnableWatch(id, false);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls, 3);
  loop.EnableWatch(id, true);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls, 4);

  pipe.Take();
  loop.RunOnce(0ms);
  EXPECT_EQ(calls, 4);
}

TEST(PollEventLoop, RemovingAWatchInsideItsOwnCallbackEndsIt) {
  PollEventLoop loop;
  Pipe pipe;
  pipe.Put();
  int calls = 0;
  int id = 0;
  id = loop.AddWatch(pipe.Read, TEventLoop::WatchKind::Read, [&] {
    ++calls;
    loop.RemoveWatch(id);
  });
  loop.RunOnce(0ms);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(loop.WatchCount(), 0);
}

TEST(PollEventLoop, AWatchRemovedOrDisabledEarlierInThePassIsNotCalled) {
  PollEventLoop loop;
  Pipe first;
  Pipe second;
  Pipe third;
  first.Put();
  second.Put();
  third.Put();
  int secondCalls = 0;
  int thirdCalls = 0;
  int secondId = 0;
  int thirdId = 0;
  loop.AddWatch(first.Read, TEventLoop::WatchKind::Read, [&] {
    loop.RemoveWatch(secondId);
    loop.EnableWatch(thirdId, false);
  });
  secondId = loop.AddWatch(second.Read, TEventLoop::WatchKind::Read, [&] { ++secondCalls; });
  thirdId = loop.AddWatch(third.Read, TEventLoop::WatchKind::Read, [&] { ++thirdCalls; });
  loop.RunOnce(0ms);
  EXPECT_EQ(secondCalls, 0);
  EXPECT_EQ(thirdCalls, 0);
}

TEST(PollEventLoop, PostedCallsRunLaterInOrderAndTheirOwnPostsWaitForTheNextPass) {
  PollEventLoop loop;
  std::vector<int> order;
  loop.Post([&] {
    order.push_back(1);
    loop.Post([&] { order.push_back(3); });
  });
  loop.Post([&] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  loop.RunOnce(0ms);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  loop.RunOnce(0ms);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(PollEventLoop, APostFromAnotherThreadWakesAWaitingPass) {
  PollEventLoop loop;
  bool done = false;
  std::thread poster([&] { loop.Post([&] { done = true; }); });
  const auto start = PollEventLoop::Clock::now();
  EXPECT_TRUE(loop.RunUntil([&] { return done; }, start + 10s));
  EXPECT_LT(PollEventLoop::Clock::now() - start, 5s);
  poster.join();
}

}  // namespace
