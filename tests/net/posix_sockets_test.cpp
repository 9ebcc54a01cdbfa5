// The POSIX socket layer on loopback: readiness in the asynchronous-select model, the WinSock
// numbers of failures, stale notifications, descriptors, host look-ups and the poll(2) loop
// under it. Bound to 127.0.0.1 the datagram socket is tied to interface "lo"; nothing here
// sends to a broadcast address.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_host_info.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/posix/posix_stream_socket.h"
#include "platform/posix/winsock_errors.h"

namespace {

using namespace std::chrono_literals;
using Words = std::vector<unsigned>;  // of notifications' lParam

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// 127.0.0.1 on interface "lo", as the program binds to one of the PC's entries.
TLocalBinding OnLoopback() {
  return TLocalBinding({0, kLoopback}, {kLoopback, if_nametoindex("lo"), "lo", true});
}

// Keeps every message: the event of a socket notification, or else the message itself.
struct RecordingWindow final : TMessageTarget {
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    Handles.push_back(wParam);
    Order.push_back(message == WM_SOCKET_NOTIFY ? LowWord(lParam) : message);
    Errors.push_back(HighWord(lParam));
    if (OnNotify) OnNotify(Order.back());
    return 1;
  }
  long Count(unsigned event) const { return std::count(Order.begin(), Order.end(), event); }
  std::vector<std::uintptr_t> Handles;
  Words Order, Errors;  // the low word (or the message itself) and the high word
  std::function<void(unsigned event)> OnNotify;
  std::string Text;  // what the test read, each read followed by '|'
};

bool WaitFor(int fd, short events) {
  pollfd wait{fd, events, 0};
  return poll(&wait, 1, 5000) == 1;
}

// A plain socket on 127.0.0.1: the other end. A stream peer listens and keeps what it accepts.
struct Peer {
  explicit Peer(int type) : Fd(socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    sockaddr_in local{AF_INET, 0, {kLoopback}, {}};
    socklen_t length = sizeof local;
    bind(Fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    if (type == SOCK_STREAM) listen(Fd, 8);
    getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &length);
    Port = local.sin_port;
  }
  ~Peer() { close(Fd); }  // the tests hang up what they accept
  void SendTo(std::uint32_t address, std::uint16_t port, const std::string& bytes) const {
    sockaddr_in to{AF_INET, port, {address}, {}};
    sendto(Fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  bool Accept() {
    close(Accepted);
    Accepted = WaitFor(Fd, POLLIN) ? accept4(Fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    return Accepted >= 0;
  }
  // Sends, then ends the accepted connection, with a reset (RST) instead of a close (FIN) when
  // asked.
  void SendAndHangUp(const std::string& bytes, bool reset) {
    send(Accepted, bytes.data(), bytes.size(), 0);
    const linger abort{1, 0};
    if (reset) setsockopt(Accepted, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(std::exchange(Accepted, -1));
  }
  int Fd;
  int Accepted = -1;
  std::uint16_t Port = 0;  // network order
};

class SocketsOnLoopback : public ::testing::Test {
 protected:
  // Runs the loop until `count` of the event came (or five seconds passed), then three more
  // passes; how many came in the end.
  long Settle(unsigned event, long count = 1) {
    Loop.RunUntil([&] { return Window.Count(event) >= count; }, PollEventLoop::Clock::now() + 5s);
    for (int pass = 0; pass < 3; ++pass)
      Loop.RunOnce(0ms);
    return Window.Count(event);
  }
  // The WinSock number of a call that failed, 0 for one that did not.
  static int Failed(int result, const TSocket& s) { return result == -1 ? s.GetLastError() : 0; }
  // The datagram endpoint as the program opens it: create, notify, bind.
  void OpenDatagram() {
    Datagram = Layer.NewDatagramSocket(OnLoopback());
    Datagram->SetNotificationWindow(&Window);
    ASSERT_TRUE(Datagram->CreateSocket() == 0 && Datagram->StartRegularNotification() == 0 &&
                Datagram->BindSocket() == 0);
  }
  // One read of the datagram socket (which must come from the peer), or else of the stream
  // socket, of at most `room` bytes into the window's Text; the result of the read.
  int Read(int room = 255) {
    std::uint8_t buffer[256];
    TINetSocketAddress from;
    const int result = Datagram ? Datagram->Read(buffer, room, from) : Stream->Read(buffer, room);
    if (result > 0) Window.Text.append(buffer, buffer + room) += '|';
    EXPECT_TRUE(result < 0 || !Datagram || from == TINetSocketAddress(UdpPeer.Port, kLoopback));
    return result;
  }
  // The terminal's connect: create, notify, bind, connect; it fails with `error` at once.
  void StartConnect(const TINetSocketAddress& peer, int error = 10035) {
    Stream = Layer.NewStreamSocket(OnLoopback());
    Stream->SetNotificationWindow(&Window);
    ASSERT_TRUE(Stream->CreateSocket() == 0 && Stream->StartRegularNotification() == 0 &&
                Stream->BindSocket() == 0);
    ASSERT_EQ(Failed(Stream->Connect(peer), *Stream), error);
  }
  void Connect() {
    Window = RecordingWindow();
    ASSERT_NO_FATAL_FAILURE(StartConnect({Listener.Port, kLoopback}));
    ASSERT_EQ(Settle(FD_CONNECT), 1);
    ASSERT_TRUE(Listener.Accept());
  }
  int StreamFd() const { return dynamic_cast<PosixStreamSocket&>(*Stream).Descriptor(); }

  PollEventLoop Loop;
  PosixSocketLayer Layer{Loop};
  RecordingWindow Window;
  std::unique_ptr<TDatagramSocket> Datagram;
  Peer UdpPeer{SOCK_DGRAM};
  std::unique_ptr<TStreamSocket> Stream;
  Peer Listener{SOCK_STREAM};
};

TEST_F(SocketsOnLoopback, FdReadRepeatsWhileDataWaitsOnlyAReadRearmsItAndStraysAreDropped) {
  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  const std::uint16_t port = Datagram->GetSocketAddress().GetPort();
  const std::uint8_t bytes[3] = {1, 2, 3};
  // 0.0.0.0 is no destination.
  EXPECT_EQ(Failed(Datagram->Write(bytes, 3, {UdpPeer.Port, 0}), *Datagram), 10049);
  // Its own datagram and one for another address of the interface are consumed unseen; a
  // datagram longer than the room fails and is gone, the next ones stay.
  EXPECT_EQ(Datagram->Write(bytes, 3, {port, kLoopback}), 3);
  UdpPeer.SendTo(htonl(0x7F000002), port, "elsewhere");
  UdpPeer.SendTo(kLoopback, port, std::string(300, 'L'));
  for (const char* text : {"one", "two", "three"})
    UdpPeer.SendTo(kLoopback, port, text);
  // A window that does not read hears nothing more until it does, inside a notification or not.
  EXPECT_EQ(Settle(FD_READ), 1);
  EXPECT_EQ(Failed(Read(), *Datagram), 10040);
  Window.OnNotify = [&](unsigned) { Read(); };
  Settle(FD_READ, 4);
  EXPECT_EQ(Window.Text, "one|two|three|");
  EXPECT_EQ(Window.Order, (Words{FD_READ, FD_READ, FD_READ, FD_READ})) << "no FD_WRITE, no extra";
  EXPECT_EQ(Failed(Read(), *Datagram), 10035) << "nothing waits";
  // The window may destroy the socket inside its notification; nothing reaches it after that.
  Window.OnNotify = [&](unsigned) { Datagram.reset(); };
  UdpPeer.SendTo(kLoopback, port, "last");
  EXPECT_EQ(Settle(FD_READ, 5), 5);
  EXPECT_EQ(Loop.WatchCount(), 0);
}

TEST_F(SocketsOnLoopback, ConnectAndThePeersCloseOrResetComeOnceWithTheirWinSockNumbers) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(Failed(Read(), *Stream), 10035) << "connected, nothing waits";
  // Refused: FD_CONNECT 10061, and nothing after it.
  const TINetSocketAddress closedPort(Peer(SOCK_STREAM).Port, kLoopback);
  ASSERT_NO_FATAL_FAILURE(StartConnect(closedPort));
  Settle(FD_CONNECT, 2);
  // On this system a connect to 0.0.0.0 would reach 127.0.0.1: it fails at once, unnotified.
  ASSERT_NO_FATAL_FAILURE(StartConnect({Listener.Port, 0}, 10049));
  Settle(FD_CONNECT, 2);
  EXPECT_EQ(Window.Order, (Words{FD_CONNECT, FD_CONNECT}));
  EXPECT_EQ(Window.Errors, (Words{0, 10061}));

  // The peer's close or reset comes once, after the data before it has been read.
  for (const bool reset : {false, true}) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    Window.OnNotify = [&](unsigned event) {
      if (event == FD_READ) Read(2);
    };
    Listener.SendAndHangUp("hello", reset);
    ASSERT_TRUE(!reset || WaitFor(StreamFd(), POLLERR));
    Settle(FD_CLOSE);
    EXPECT_EQ(Window.Text, "he|ll|o|");
    EXPECT_EQ(Window.Order, (Words{FD_CONNECT, FD_READ, FD_READ, FD_READ, FD_CLOSE}));
    EXPECT_EQ(Window.Errors.back(), reset ? 10054u : 0u);
  }
  // A reset that a read meets first (the system reports it once) still reaches FD_CLOSE.
  ASSERT_NO_FATAL_FAILURE(Connect());
  Listener.SendAndHangUp("", true);
  ASSERT_TRUE(WaitFor(StreamFd(), POLLERR));
  EXPECT_EQ(Failed(Read(), *Stream), 10054);
  EXPECT_EQ(Settle(FD_CLOSE), 1);
  EXPECT_EQ(Window.Errors.back(), 10054u);
  EXPECT_LE(WinSockErrorFromErrno(ENOSPC), 0xFFFF) << "an unmapped errno must fit a notification";
}

// An event loop that keeps every callback, removed or not, to play a loop that still delivers
// an activation for a watch already removed.
struct KeepingLoop final : TEventLoop {
  int AddWatch(int, WatchKind, Callback callback) override {
    Watches.push_back(std::move(callback));
    return static_cast<int>(Watches.size());
  }
  void EnableWatch(int, bool) override {}
  void RemoveWatch(int) override {}
  void Post(Callback) override {}
  int StartTimer(std::chrono::milliseconds, Callback) override { return 1; }
  void StopTimer(int) override {}
  // Calls the watches from `first` up to `last`, also those added meanwhile.
  void CallWatches(std::size_t first, std::size_t last = SIZE_MAX) {
    for (std::size_t i = first; i < std::min(last, Watches.size()); ++i)
      Callback{Watches[i]}();  // a copy: the vector may grow inside the call
  }
  std::vector<Callback> Watches;
};

TEST_F(SocketsOnLoopback, ClosedSocketsGetNoStaleNotificationsAndLeaveNothingBehind) {
  KeepingLoop loop;
  auto socket = std::make_unique<PosixStreamSocket>(loop, TINetSocketAddress(0, kLoopback));
  socket->SetNotificationWindow(&Window);
  auto connect = [&] {  // connected, with data waiting before the peer's close
    ASSERT_TRUE(socket->CreateSocket() == 0 && socket->StartRegularNotification() == 0);
    ASSERT_EQ(Failed(socket->Connect({Listener.Port, kLoopback}), *socket), 10035);
    ASSERT_TRUE(WaitFor(socket->Descriptor(), POLLOUT) && Listener.Accept());
    Listener.SendAndHangUp("data", false);
    ASSERT_TRUE(WaitFor(socket->Descriptor(), POLLIN));
  };
  ASSERT_NO_FATAL_FAILURE(connect());
  const int oldFd = socket->Descriptor();
  loop.CallWatches(0);
  ASSERT_EQ(Window.Order, (Words{FD_CONNECT, FD_READ}));
  const std::size_t oldWatches = loop.Watches.size();
  // Closed and opened again under the same number: the old watches reach nobody.
  ASSERT_EQ(socket->CloseSocket(), 0);
  ASSERT_NO_FATAL_FAILURE(connect());
  ASSERT_EQ(socket->Descriptor(), oldFd);
  loop.CallWatches(0, oldWatches);
  EXPECT_EQ(Window.Order.size(), 2u) << "an old watch reached the new socket";
  loop.CallWatches(oldWatches);
  EXPECT_EQ(Window.Order, (Words{FD_CONNECT, FD_READ, FD_CONNECT, FD_READ}));
  socket.reset();
  loop.CallWatches(0);
  EXPECT_EQ(Window.Order.size(), 4u) << "a watch reached a destroyed socket";

  // Sockets replaced or closed a thousand times leave no descriptors or watches behind.
  const auto descriptorsOpen = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  std::ptrdiff_t descriptors = 0, watches = 0;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_NO_FATAL_FAILURE(OpenDatagram());
    ASSERT_NO_FATAL_FAILURE(StartConnect({Listener.Port, kLoopback}));
    ASSERT_TRUE(i % 2 == 1 || (Datagram->CloseSocket() == 0 && Stream->CloseSocket() == 0));
    if (i == 1) descriptors = descriptorsOpen(), watches = Loop.WatchCount();
  }
  // "No more than": a look-up worker of an earlier test may close its end meanwhile.
  EXPECT_LE(descriptorsOpen(), descriptors);
  EXPECT_EQ(Loop.WatchCount(), watches);
}

TEST_F(SocketsOnLoopback, ALookUpEndsLaterFromTheLoopAndNeverOnceCancelledOrAbandoned) {
  auto manager = Layer.NewHostInfoManager();
  RecordingWindow abandoned;
  // "" is this PC, answered without waiting; "localhost" needs a worker (hosts file).
  for (const char* name : {"", "localhost"}) {
    ASSERT_EQ(manager->GetHostInfoAsync(abandoned, name, WM_HOST_LOOKUP_DONE), 0);
    manager->CancelHostRequest();
    ASSERT_EQ(Layer.NewHostInfoManager()->GetHostInfoAsync(abandoned, name, WM_HOST_LOOKUP_DONE),
              0);
    Window = RecordingWindow();
    ASSERT_EQ(manager->GetHostInfoAsync(Window, name, WM_HOST_LOOKUP_DONE), 0);
    const auto handle = dynamic_cast<PosixHostInfoManager&>(*manager).PendingRequest();
    EXPECT_TRUE(Window.Order.empty()) << "ended inside the call: " << name;
    ASSERT_EQ(Settle(WM_HOST_LOOKUP_DONE), 1) << name;
    EXPECT_EQ(Window.Handles, std::vector<std::uintptr_t>{handle}) << "another look-up ended";
    EXPECT_EQ(Window.Errors, Words{0}) << name;
  }
  // Posted ends come in order, and a worker's end needs a watch.
  EXPECT_TRUE(abandoned.Order.empty()) << "a cancelled or abandoned look-up ended";
  EXPECT_EQ(Loop.WatchCount(), 0) << "an abandoned look-up left a watch behind";
}

}  // namespace
