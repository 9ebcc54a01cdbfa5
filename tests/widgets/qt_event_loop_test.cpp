#include <gtest/gtest.h>
#include <unistd.h>

#include <QtTest/QTest>

#include "platform/qt/qt_event_loop.h"

// A watch removed in its own callback is never called again, not even when its descriptor
// number comes back for another pipe; the new watch is called while data waits.
TEST(QtEventLoopTest, AWatchRemovedInItsOwnCallbackNeverWakesAgain) {
  QtEventLoop loop;
  int first[2], second[2];
  ASSERT_EQ(pipe(first), 0);
  ASSERT_EQ(pipe(second), 0);
  int firstCalls = 0, firstId = 0;
  firstId = loop.AddWatch(first[0], TEventLoop::WatchKind::Read, [&] {
    ++firstCalls;
    loop.RemoveWatch(firstId);  // the data stays unread
  });
  ASSERT_EQ(write(first[1], "x", 1), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return firstCalls == 1; }));  // the bound is against a hang

  close(first[0]);
  close(first[1]);
  ASSERT_EQ(dup2(second[0], first[0]), first[0]);
  int secondCalls = 0;
  loop.AddWatch(first[0], TEventLoop::WatchKind::Read, [&] {
    char c;
    EXPECT_EQ(read(first[0], &c, 1), 1);
    ++secondCalls;
  });
  ASSERT_EQ(write(second[1], "yz", 2), 2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return secondCalls == 2; }));
  EXPECT_EQ(firstCalls, 1);
  for (int fd : {first[0], second[0], second[1]})
    close(fd);
}

// A timer runs once and a stopped one never: by the time a later timer ran, neither ran again.
TEST(QtEventLoopTest, ATimerRunsOnceAndAStoppedOneNever) {
  QtEventLoop loop;
  int runs = 0, stoppedRuns = 0;
  bool later = false;
  loop.StartTimer(std::chrono::milliseconds(5), [&] { ++runs; });
  loop.StopTimer(loop.StartTimer(std::chrono::milliseconds(1), [&] { ++stoppedRuns; }));
  loop.StartTimer(std::chrono::milliseconds(30), [&] { later = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return later; }));  // the bound is against a hang
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(stoppedRuns, 0);
}
