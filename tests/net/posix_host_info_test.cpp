// Host information: the PC's own entry and asynchronous look-ups that end later, can be
// cancelled, and are abandoned with their manager. Only names that need no name server are
// looked up ("localhost" comes from the hosts file).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/own_interfaces.h"
#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_host_info.h"
#include "platform/posix/posix_socket_layer.h"

namespace {

using namespace std::chrono_literals;

class LookUpWindow : public TMessageTarget {
 public:
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    EXPECT_EQ(message, WM_HOST_LOOKUP_DONE);
    Handles.push_back(wParam);
    Words.push_back(static_cast<std::uint32_t>(lParam));
    return 1;
  }
  std::vector<std::uintptr_t> Handles;
  std::vector<std::uint32_t> Words;
};

class HostInfo : public ::testing::Test {
 protected:
  // Runs the loop until a call posted now has run, so everything posted before it has too.
  void RunPostedSoFar() {
    bool reached = false;
    Loop.Post([&] { reached = true; });
    ASSERT_TRUE(Loop.RunUntil([&] { return reached; }, PollEventLoop::Clock::now() + 5s));
  }
  bool RunUntilEnds(std::size_t count) {
    return Loop.RunUntil([&] { return Window.Handles.size() >= count; },
                         PollEventLoop::Clock::now() + 10s);
  }
  std::uintptr_t Pending() const {
    return dynamic_cast<PosixHostInfoManager&>(*Manager).PendingRequest();
  }

  PollEventLoop Loop;
  PosixSocketLayer Layer{Loop};
  std::unique_ptr<THostInfoManager> Manager = Layer.NewHostInfoManager();
  LookUpWindow Window;
};

TEST_F(HostInfo, TheOwnEntryListsTheAddressesOfInterfacesThatAreUpWithoutLoopback) {
  char own[256] = {};
  gethostname(own, sizeof own - 1);
  const std::string name = Manager->GetHostName(200);
  EXPECT_EQ(name, own);
  EXPECT_EQ(Manager->GetHostName(3), name.substr(0, 2));

  THostEntry entry;
  entry.Addresses = {1, 2, 3};
  ASSERT_EQ(Manager->GetHostInfo(entry, name), 0);
  std::vector<std::uint32_t> expected;
  for (const OwnAddress& address : ListOwnAddresses()) {
    if (address.Up && !address.Loopback) expected.push_back(address.Address);
  }
  EXPECT_EQ(entry.Addresses, expected);
  THostEntry empty;
  ASSERT_EQ(Manager->GetHostInfo(empty, ""), 0);
  EXPECT_EQ(empty.Addresses, expected);
  THostEntry dotted;
  ASSERT_EQ(Manager->GetHostInfo(dotted, "10.1.2.3"), 0);
  EXPECT_EQ(dotted.Addresses, (std::vector<std::uint32_t>{inet_addr("10.1.2.3")}));
  EXPECT_EQ(Manager->GetHostInfo(dotted, "some-other-host"), -1);
  EXPECT_EQ(Manager->GetLastError(), 11001);

  const auto lo = FindInterfaceOfAddress(inet_addr("127.0.0.1"));
  ASSERT_TRUE(lo.has_value());
  EXPECT_EQ(lo->InterfaceName, "lo");
  EXPECT_EQ(lo->InterfaceIndex, if_nametoindex("lo"));
}

TEST_F(HostInfo, AnAsynchronousLookUpEndsLaterFromTheLoopWithItsHandle) {
  char own[256] = {};
  gethostname(own, sizeof own - 1);
  for (const char* name : {"", "192.168.1.50", static_cast<const char*>(own), "localhost"}) {
    Window.Handles.clear();
    Window.Words.clear();
    ASSERT_EQ(Manager->GetHostInfoAsync(Window, name, WM_HOST_LOOKUP_DONE), 0) << name;
    const std::uintptr_t handle = Pending();
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(Window.Handles.empty()) << "ended inside the call: " << name;
    ASSERT_TRUE(RunUntilEnds(1)) << name;
    EXPECT_EQ(Window.Handles, (std::vector<std::uintptr_t>{handle}));
    EXPECT_EQ(Window.Words, (std::vector<std::uint32_t>{MakeLong(0, 0)})) << name;
    EXPECT_EQ(Pending(), 0u);
  }
}

TEST_F(HostInfo, NoEndArrivesForACancelledReplacedOrAbandonedLookUp) {
  ASSERT_EQ(Manager->GetHostInfoAsync(Window, "", WM_HOST_LOOKUP_DONE), 0);
  Manager->CancelHostRequest();
  ASSERT_NO_FATAL_FAILURE(RunPostedSoFar());
  EXPECT_TRUE(Window.Handles.empty());

  // A worker look-up cancelled, one replaced by the next: only the last one ends.
  ASSERT_EQ(Manager->GetHostInfoAsync(Window, "localhost", WM_HOST_LOOKUP_DONE), 0);
  Manager->CancelHostRequest();
  ASSERT_EQ(Manager->GetHostInfoAsync(Window, "localhost", WM_HOST_LOOKUP_DONE), 0);
  ASSERT_EQ(Manager->GetHostInfoAsync(Window, "10.0.0.7", WM_HOST_LOOKUP_DONE), 0);
  const std::uintptr_t last = Pending();
  ASSERT_TRUE(RunUntilEnds(1));
  ASSERT_NO_FATAL_FAILURE(RunPostedSoFar());
  EXPECT_EQ(Window.Handles, (std::vector<std::uintptr_t>{last}));

  // Managers destroyed with a worker look-up and with a posted end under way.
  Window.Handles.clear();
  ASSERT_EQ(Manager->GetHostInfoAsync(Window, "localhost", WM_HOST_LOOKUP_DONE), 0);
  Manager = Layer.NewHostInfoManager();
  auto other = Layer.NewHostInfoManager();
  ASSERT_EQ(other->GetHostInfoAsync(Window, "", WM_HOST_LOOKUP_DONE), 0);
  other.reset();
  ASSERT_NO_FATAL_FAILURE(RunPostedSoFar());
  EXPECT_TRUE(Window.Handles.empty());
  EXPECT_EQ(Loop.WatchCount(), 0) << "an abandoned look-up left a watch behind";
}

}  // namespace
