#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>
#include <string>

#include "platform/qt/qt_event_loop.h"

namespace {

struct Pipe {
  int Read = -1, Write = -1;
  Pipe() {
    int fds[2];
    if (pipe(fds) == 0) {
      Read = fds[0];
      Write = fds[1];
    }
  }
  ~Pipe() {
    if (Read >= 0) close(Read);
    if (Write >= 0) close(Write);
  }
  void Put(const std::string& bytes) const {
    ASSERT_EQ(write(Write, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  char Take() const {
    char c = 0;
    EXPECT_EQ(read(Read, &c, 1), 1);
    return c;
  }
};

bool PumpUntil(const std::function<bool()>& condition) {
  QDeadlineTimer deadline(10000);  // against a hang only
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

}  // namespace

// Watches are level-triggered: a watch that leaves data waiting is called again.
TEST(QtEventLoopTest, ReadWatchRepeatsWhileDataWaits) {
  QtEventLoop loop;
  Pipe data, sentinel;
  std::string taken;
  const int id =
      loop.AddWatch(data.Read, TEventLoop::WatchKind::Read, [&] { taken.push_back(data.Take()); });
  EXPECT_NE(id, 0);
  data.Put("abc");
  ASSERT_TRUE(PumpUntil([&] { return taken.size() == 3; }));
  EXPECT_EQ(taken, "abc");

  // Disabled, it stays quiet while another watch ready in the same passes is called.
  int sentinelCalls = 0;
  loop.AddWatch(sentinel.Read, TEventLoop::WatchKind::Read, [&] {
    sentinel.Take();
    ++sentinelCalls;
  });
  loop.EnableWatch(id, false);
  data.Put("d");
  sentinel.Put("12");
  ASSERT_TRUE(PumpUntil([&] { return sentinelCalls == 2; }));
  EXPECT_EQ(taken, "abc");
  loop.EnableWatch(id, true);
  ASSERT_TRUE(PumpUntil([&] { return taken.size() == 4; }));

  bool writable = false;
  const int writeId =
      loop.AddWatch(data.Write, TEventLoop::WatchKind::Write, [&] { writable = true; });
  EXPECT_NE(writeId, id);
  EXPECT_TRUE(PumpUntil([&] { return writable; }));
}

// A watch removed in its own callback is never called again, not even when its descriptor
// number comes back for another pipe.
TEST(QtEventLoopTest, RemovedWatchNeverWakes) {
  QtEventLoop loop;
  auto first = std::make_unique<Pipe>();
  int firstCalls = 0;
  int firstId = 0;
  firstId = loop.AddWatch(first->Read, TEventLoop::WatchKind::Read, [&] {
    ++firstCalls;
    loop.RemoveWatch(firstId);  // the data stays unread
  });
  first->Put("x");
  ASSERT_TRUE(PumpUntil([&] { return firstCalls == 1; }));

  const int reusedFd = first->Read;
  first.reset();
  Pipe second;
  ASSERT_GE(dup2(second.Read, reusedFd), 0);
  int secondCalls = 0;
  loop.AddWatch(reusedFd, TEventLoop::WatchKind::Read, [&] {
    char c;
    EXPECT_EQ(read(reusedFd, &c, 1), 1);
    ++secondCalls;
  });
  second.Put("yz");
  ASSERT_TRUE(PumpUntil([&] { return secondCalls == 2; }));
  EXPECT_EQ(firstCalls, 1);
  close(reusedFd);
}

TEST(QtEventLoopTest, PostedCallsRunLaterInOrder) {
  QtEventLoop loop;
  std::string order;
  loop.Post([&] {
    order += "a";
    loop.Post([&] { order += "c"; });
  });
  loop.Post([&] { order += "b"; });
  EXPECT_EQ(order, "");
  ASSERT_TRUE(PumpUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, "abc");
}
