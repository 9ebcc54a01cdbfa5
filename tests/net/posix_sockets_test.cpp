// The POSIX socket layer on loopback: readiness in the asynchronous-select model, the WinSock
// numbers of failures, stale notifications, descriptors and the poll(2) loop under it. Bound to
// 127.0.0.1 the datagram socket is tied to interface "lo"; nothing here sends to a broadcast
// address.
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
#include "platform/posix/posix_socket_layer.h"
#include "platform/posix/posix_stream_socket.h"
#include "platform/posix/winsock_errors.h"

namespace {

using namespace std::chrono_literals;
using Words = std::vector<unsigned>;

const Ipv4 kLoopback{127, 0, 0, 1};

// 127.0.0.1 on interface "lo", as the program binds to one of the PC's entries.
TLocalBinding OnLoopback() {
  return TLocalBinding({0, kLoopback}, {kLoopback, if_nametoindex("lo"), "lo", true});
}

// What a socket told its owner, in order.
enum Event : unsigned { Readable = 1, Connected = 16, Closed = 32 };
struct Recorder {
  TSocketNotifications Notifications() {
    return {[this] { Got(Readable, 0); }, [this](int error) { Got(Connected, error); },
            [this](int error) { Got(Closed, error); }};
  }
  void Got(unsigned event, int error) {
    Order.push_back(event);
    Errors.push_back(static_cast<unsigned>(error));
    if (OnNotify) OnNotify(event);
  }
  long Count(unsigned event) const { return std::count(Order.begin(), Order.end(), event); }
  void Clear() {
    Order.clear();
    Errors.clear();
    OnNotify = nullptr;
    Text.clear();
  }
  Words Order, Errors;
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
    sockaddr_in local{AF_INET, 0, {htonl(kLoopback.Number())}, {}};
    socklen_t length = sizeof local;
    bind(Fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    if (type == SOCK_STREAM) listen(Fd, 8);
    getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &length);
    Port = ntohs(local.sin_port);
  }
  ~Peer() { close(Fd); }  // the tests hang up what they accept
  void SendTo(Ipv4 address, std::uint16_t port, const std::string& bytes) const {
    sockaddr_in to{AF_INET, htons(port), {htonl(address.Number())}, {}};
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
  std::uint16_t Port = 0;
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
    Datagram->SetNotifications(Window.Notifications());
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
    Stream->SetNotifications(Window.Notifications());
    ASSERT_TRUE(Stream->CreateSocket() == 0 && Stream->StartRegularNotification() == 0 &&
                Stream->BindSocket() == 0);
    ASSERT_EQ(Failed(Stream->Connect(peer), *Stream), error);
  }
  void Connect() {
    Window.Clear();
    ASSERT_NO_FATAL_FAILURE(StartConnect({Listener.Port, kLoopback}));
    ASSERT_EQ(Settle(Connected), 1);
    ASSERT_TRUE(Listener.Accept());
  }
  int StreamFd() const { return dynamic_cast<PosixStreamSocket&>(*Stream).Descriptor(); }

  PollEventLoop Loop;
  PosixSocketLayer Layer{Loop};
  Recorder Window;
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
  EXPECT_EQ(Failed(Datagram->Write(bytes, 3, {UdpPeer.Port, Ipv4()}), *Datagram), 10049);
  // Its own datagram and one for another address of the interface are consumed unseen; a
  // datagram longer than the room fails and is gone, the next ones stay.
  EXPECT_EQ(Datagram->Write(bytes, 3, {port, kLoopback}), 3);
  UdpPeer.SendTo(Ipv4(127, 0, 0, 2), port, "elsewhere");
  UdpPeer.SendTo(kLoopback, port, std::string(300, 'L'));
  for (const char* text : {"one", "two", "three"})
    UdpPeer.SendTo(kLoopback, port, text);
  // A window that does not read hears nothing more until it does, inside a notification or not.
  EXPECT_EQ(Settle(Readable), 1);
  EXPECT_EQ(Failed(Read(), *Datagram), 10040);
  Window.OnNotify = [&](unsigned) { Read(); };
  Settle(Readable, 4);
  EXPECT_EQ(Window.Text, "one|two|three|");
  EXPECT_EQ(Window.Order, (Words{Readable, Readable, Readable, Readable})) << "no extra";
  EXPECT_EQ(Failed(Read(), *Datagram), 10035) << "nothing waits";
  // The window may destroy the socket inside its notification; nothing reaches it after that.
  Window.OnNotify = [&](unsigned) { Datagram.reset(); };
  UdpPeer.SendTo(kLoopback, port, "last");
  EXPECT_EQ(Settle(Readable, 5), 5);
  EXPECT_EQ(Loop.WatchCount(), 0);
}

TEST_F(SocketsOnLoopback, ConnectAndThePeersCloseOrResetComeOnceWithTheirWinSockNumbers) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(Failed(Read(), *Stream), 10035) << "connected, nothing waits";
  // Refused: Connected 10061, and nothing after it.
  const TINetSocketAddress closedPort(Peer(SOCK_STREAM).Port, kLoopback);
  ASSERT_NO_FATAL_FAILURE(StartConnect(closedPort));
  Settle(Connected, 2);
  // On this system a connect to 0.0.0.0 would reach 127.0.0.1: it fails at once, unnotified.
  ASSERT_NO_FATAL_FAILURE(StartConnect({Listener.Port, Ipv4()}, 10049));
  Settle(Connected, 2);
  EXPECT_EQ(Window.Order, (Words{Connected, Connected}));
  EXPECT_EQ(Window.Errors, (Words{0, 10061}));

  // The peer's close or reset comes once, after the data before it has been read.
  for (const bool reset : {false, true}) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    Window.OnNotify = [&](unsigned event) {
      if (event == Readable) Read(2);
    };
    Listener.SendAndHangUp("hello", reset);
    ASSERT_TRUE(!reset || WaitFor(StreamFd(), POLLERR));
    Settle(Closed);
    EXPECT_EQ(Window.Text, "he|ll|o|");
    EXPECT_EQ(Window.Order, (Words{Connected, Readable, Readable, Readable, Closed}));
    EXPECT_EQ(Window.Errors.back(), reset ? 10054u : 0u);
  }
  // A reset that a read meets first (the system reports it once) still reaches Closed.
  ASSERT_NO_FATAL_FAILURE(Connect());
  Listener.SendAndHangUp("", true);
  ASSERT_TRUE(WaitFor(StreamFd(), POLLERR));
  EXPECT_EQ(Failed(Read(), *Stream), 10054);
  EXPECT_EQ(Settle(Closed), 1);
  EXPECT_EQ(Window.Errors.back(), 10054u);
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
  socket->SetNotifications(Window.Notifications());
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
  ASSERT_EQ(Window.Order, (Words{Connected, Readable}));
  const std::size_t oldWatches = loop.Watches.size();
  // Closed and opened again under the same number: the old watches reach nobody.
  ASSERT_EQ(socket->CloseSocket(), 0);
  ASSERT_NO_FATAL_FAILURE(connect());
  ASSERT_EQ(socket->Descriptor(), oldFd);
  loop.CallWatches(0, oldWatches);
  EXPECT_EQ(Window.Order.size(), 2u) << "an old watch reached the new socket";
  loop.CallWatches(oldWatches);
  EXPECT_EQ(Window.Order, (Words{Connected, Readable, Connected, Readable}));
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
  EXPECT_EQ(descriptorsOpen(), descriptors);
  EXPECT_EQ(Loop.WatchCount(), watches);
}

}  // namespace
