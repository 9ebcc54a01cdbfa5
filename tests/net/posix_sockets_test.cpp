// The POSIX socket layer on loopback: readiness in the asynchronous-select model, the WinSock
// numbers of failures, stale notifications, descriptors, host look-ups and the poll(2) loop
// under it. Bound to 127.0.0.1 the datagram socket is tied to interface "lo"; nothing here
// sends to a broadcast address.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
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
#include <vector>

#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_datagram_socket.h"
#include "platform/posix/posix_host_info.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/posix/posix_stream_socket.h"
#include "platform/posix/winsock_errors.h"

namespace {

using namespace std::chrono_literals;
using Events = std::vector<unsigned>;

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Keeps every message: the event of a socket notification, or else the message itself.
class RecordingWindow : public TMessageTarget {
 public:
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    Handles.push_back(wParam);
    const auto words = static_cast<std::uint64_t>(lParam);
    Order.push_back(message == WM_SOCKET_NOTIFY ? LowWord(words) : message);
    Errors.push_back(HighWord(words));
    if (OnNotify) OnNotify(Order.back());
    return 1;
  }
  int Count(unsigned event) const {
    return static_cast<int>(std::count(Order.begin(), Order.end(), event));
  }
  std::vector<std::uintptr_t> Handles;
  Events Order;
  std::vector<unsigned> Errors;
  std::function<void(unsigned event)> OnNotify;
};

bool WaitFor(int fd, short events) {
  pollfd wait{fd, events, 0};
  return poll(&wait, 1, 5000) == 1;
}

// A plain socket on 127.0.0.1: the other end. A stream peer listens and keeps what it accepts.
class Peer {
 public:
  explicit Peer(int type) : Fd(socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    sockaddr_in local{AF_INET, 0, {kLoopback}, {}};
    bind(Fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    if (type == SOCK_STREAM) listen(Fd, 8);
    socklen_t length = sizeof local;
    getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &length);
    Port = local.sin_port;
  }
  ~Peer() {
    close(Accepted);
    close(Fd);
  }
  TINetSocketAddress Address() const { return TINetSocketAddress(Port, kLoopback); }
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
    close(Accepted);
    Accepted = -1;
  }
  int Fd;
  int Accepted = -1;
  std::uint16_t Port = 0;  // network order
};

class SocketsOnLoopback : public ::testing::Test {
 protected:
  bool RunUntil(const std::function<bool()>& done) {
    return Loop.RunUntil(done, PollEventLoop::Clock::now() + 5s);
  }
  bool RunUntilEvent(unsigned event) {
    return RunUntil([&] { return Window.Count(event) > 0; });
  }
  void RunPasses(int passes) {
    for (int i = 0; i < passes; ++i)
      Loop.RunOnce(0ms);
  }
  // The datagram endpoint as the program opens it: create, notify, bind.
  void OpenDatagram() {
    Datagram = Layer.NewDatagramSocket(TINetSocketAddress(0, kLoopback));
    Datagram->SetNotificationWindow(&Window);
    ASSERT_EQ(Datagram->CreateSocket(), 0);
    ASSERT_EQ(Datagram->StartRegularNotification(), 0);
    ASSERT_EQ(Datagram->BindSocket(), 0);
    Port = Datagram->GetSocketAddress().GetPort();
  }
  // One datagram read into `Received`; the result of the read.
  int ReadDatagram() {
    std::uint8_t buffer[256];
    int count = 255;
    TINetSocketAddress from;
    const int result = Datagram->Read(buffer, count, from);
    if (result >= 0) Received.emplace_back(reinterpret_cast<char*>(buffer), count);
    EXPECT_TRUE(result < 0 || from == UdpPeer.Address());
    return result;
  }
  // The terminal's connect: create, notify, bind, connect.
  void StartConnect(const TINetSocketAddress& peer) {
    Stream = Layer.NewStreamSocket(TINetSocketAddress(0, kLoopback));
    Stream->SetNotificationWindow(&Window);
    ASSERT_EQ(Stream->CreateSocket(), 0);
    ASSERT_EQ(Stream->StartRegularNotification(), 0);
    ASSERT_EQ(Stream->BindSocket(), 0);
    ASSERT_EQ(Stream->Connect(peer), -1);
    ASSERT_EQ(Stream->GetLastError(), 10035);
  }
  void Connect() {
    Window = RecordingWindow();
    ASSERT_NO_FATAL_FAILURE(StartConnect(Listener.Address()));
    ASSERT_TRUE(RunUntilEvent(FD_CONNECT));
    ASSERT_TRUE(Listener.Accept());
  }
  int StreamFd() const { return dynamic_cast<PosixStreamSocket&>(*Stream).Descriptor(); }

  PollEventLoop Loop;
  PosixSocketLayer Layer{Loop};
  RecordingWindow Window;
  std::unique_ptr<TDatagramSocket> Datagram;
  std::uint16_t Port = 0;
  Peer UdpPeer{SOCK_DGRAM};
  std::vector<std::string> Received;
  std::unique_ptr<TStreamSocket> Stream;
  Peer Listener{SOCK_STREAM};
};

TEST_F(SocketsOnLoopback, FdReadRepeatsWhileDataWaitsAndOnlyAReadRearmsIt) {
  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  for (const char* text : {"one", "two", "three"})
    UdpPeer.SendTo(kLoopback, Port, text);
  Window.OnNotify = [&](unsigned) { ReadDatagram(); };
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 3; }));
  RunPasses(3);
  EXPECT_EQ(Received, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(Window.Order, (Events{FD_READ, FD_READ, FD_READ})) << "no FD_WRITE, no extra";
  EXPECT_EQ(ReadDatagram(), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10035) << "nothing waits";

  // A window that does not read hears nothing more until it does.
  Window.OnNotify = nullptr;
  for (const char* text : {"a", "b", "c"})
    UdpPeer.SendTo(kLoopback, Port, text);
  ASSERT_TRUE(RunUntil([&] { return Window.Count(FD_READ) == 4; }));
  RunPasses(3);
  EXPECT_EQ(Window.Count(FD_READ), 4);
  EXPECT_EQ(ReadDatagram(), 1);
  // The window may destroy the socket inside its notification; nothing reaches it after that.
  Window.OnNotify = [&](unsigned) { Datagram.reset(); };
  ASSERT_TRUE(RunUntil([&] { return Window.Count(FD_READ) == 5; }));
  RunPasses(3);
  EXPECT_EQ(Window.Count(FD_READ), 5);
}

TEST_F(SocketsOnLoopback, DatagramsNotForTheEndpointAreDroppedAndOverlongOnesFail) {
  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  const std::uint8_t bytes[3] = {1, 2, 3};
  EXPECT_EQ(Datagram->Write(bytes, 3, TINetSocketAddress(UdpPeer.Port, 0)), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10049) << "0.0.0.0 is no destination";
  // Its own datagram and one for another address of the interface are consumed unseen; a
  // datagram longer than the room fails and is gone, the next one stays.
  EXPECT_EQ(Datagram->Write(bytes, 3, TINetSocketAddress(Port, kLoopback)), 3);
  UdpPeer.SendTo(htonl(0x7F000002), Port, "elsewhere");
  UdpPeer.SendTo(kLoopback, Port, std::string(300, 'L'));
  UdpPeer.SendTo(kLoopback, Port, "reply");
  ASSERT_TRUE(RunUntilEvent(FD_READ));
  EXPECT_EQ(ReadDatagram(), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10040);
  EXPECT_EQ(ReadDatagram(), 5);
  RunPasses(3);
  EXPECT_EQ(Window.Count(FD_READ), 1);
}

TEST_F(SocketsOnLoopback, ConnectEndsInFdConnectWithItsOutcomeOrFailsAtOnceForTheAnyAddress) {
  ASSERT_NO_FATAL_FAILURE(StartConnect(Listener.Address()));
  ASSERT_TRUE(RunUntilEvent(FD_CONNECT));
  EXPECT_EQ(Window.Order, (Events{FD_CONNECT}));
  EXPECT_EQ(Window.Errors, (std::vector<unsigned>{0}));
  std::uint8_t buffer[16];
  int count = sizeof buffer;
  EXPECT_EQ(Stream->Read(buffer, count), -1);
  EXPECT_EQ(Stream->GetLastError(), 10035) << "connected, nothing waits";

  // Refused: FD_CONNECT 10061, and nothing after it.
  const TINetSocketAddress closedPort = Peer(SOCK_STREAM).Address();
  ASSERT_NO_FATAL_FAILURE(StartConnect(closedPort));
  ASSERT_TRUE(RunUntil([&] { return Window.Order.size() == 2; }));
  RunPasses(3);
  EXPECT_EQ(Window.Order, (Events{FD_CONNECT, FD_CONNECT}));
  EXPECT_EQ(Window.Errors, (std::vector<unsigned>{0, 10061}));

  // On this system a connect to 0.0.0.0 would reach 127.0.0.1: it fails at once, unnotified.
  ASSERT_EQ(Stream->CreateSocket(), 0);
  ASSERT_EQ(Stream->StartRegularNotification(), 0);
  EXPECT_EQ(Stream->Connect(TINetSocketAddress(Listener.Port, 0)), -1);
  EXPECT_EQ(Stream->GetLastError(), 10049);
  RunPasses(3);
  EXPECT_EQ(Window.Order.size(), 2u);
}

TEST_F(SocketsOnLoopback, ThePeersCloseOrResetComesOnceAfterTheDataBeforeIt) {
  for (const bool reset : {false, true}) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    std::string text;
    Window.OnNotify = [&](unsigned event) {
      std::uint8_t buffer[2];
      int count = 2;
      if (event == FD_READ && Stream->Read(buffer, count) > 0) text.append(buffer, buffer + count);
    };
    Listener.SendAndHangUp("hello", reset);
    ASSERT_TRUE(!reset || WaitFor(StreamFd(), POLLERR));
    ASSERT_TRUE(RunUntilEvent(FD_CLOSE));
    RunPasses(3);
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(Window.Order, (Events{FD_CONNECT, FD_READ, FD_READ, FD_READ, FD_CLOSE}));
    EXPECT_EQ(Window.Errors.back(), reset ? 10054u : 0u);
  }
  // A reset that a read meets first (the system reports it once) still reaches FD_CLOSE.
  ASSERT_NO_FATAL_FAILURE(Connect());
  Listener.SendAndHangUp("", true);
  ASSERT_TRUE(WaitFor(StreamFd(), POLLERR));
  std::uint8_t buffer[16];
  int count = sizeof buffer;
  EXPECT_EQ(Stream->Read(buffer, count), -1);
  EXPECT_EQ(Stream->GetLastError(), 10054);
  ASSERT_TRUE(RunUntilEvent(FD_CLOSE));
  EXPECT_EQ(Window.Errors.back(), 10054u);
  EXPECT_LE(WinSockErrorFromErrno(ENOSPC), 0xFFFF) << "an unmapped errno must fit a notification";
}

// An event loop that keeps every callback, removed or not, to play a loop that still delivers
// an activation for a watch already removed.
class KeepingLoop : public TEventLoop {
 public:
  int AddWatch(int, WatchKind, Callback callback) override {
    Watches.push_back(std::move(callback));
    return static_cast<int>(Watches.size());
  }
  void EnableWatch(int, bool) override {}
  void RemoveWatch(int) override {}
  void Post(Callback) override {}
  // Calls the watches from `first` on, also those added meanwhile.
  void CallWatches(std::size_t first) {
    for (std::size_t i = first; i < Watches.size(); ++i)
      Callback{Watches[i]}();  // a copy: the vector may grow inside the call
  }
  std::vector<Callback> Watches;
};

TEST(StaleNotifications, NoneReachAClosedSocketNorTheOneThatReusesItsDescriptorNumber) {
  KeepingLoop loop;
  RecordingWindow window;
  Peer listener(SOCK_STREAM);
  auto socket = std::make_unique<PosixStreamSocket>(loop, TINetSocketAddress(0, kLoopback));
  socket->SetNotificationWindow(&window);
  auto connect = [&] {  // connected, with data waiting
    ASSERT_EQ(socket->CreateSocket(), 0);
    ASSERT_EQ(socket->StartRegularNotification(), 0);
    ASSERT_EQ(socket->Connect(listener.Address()), -1);
    ASSERT_TRUE(WaitFor(socket->Descriptor(), POLLOUT) && listener.Accept());
    ASSERT_EQ(send(listener.Accepted, "data", 4, 0), 4);
    ASSERT_TRUE(WaitFor(socket->Descriptor(), POLLIN));
  };
  ASSERT_NO_FATAL_FAILURE(connect());
  const int oldFd = socket->Descriptor();
  loop.CallWatches(0);
  ASSERT_EQ(window.Order, (Events{FD_CONNECT, FD_READ}));
  const std::size_t oldWatches = loop.Watches.size();

  ASSERT_EQ(socket->CloseSocket(), 0);
  ASSERT_NO_FATAL_FAILURE(connect());
  ASSERT_EQ(socket->Descriptor(), oldFd);
  window = RecordingWindow();
  for (std::size_t i = 0; i < oldWatches; ++i)
    loop.Watches[i]();
  EXPECT_TRUE(window.Order.empty()) << "an old watch reached the new socket";
  loop.CallWatches(oldWatches);
  EXPECT_EQ(window.Order, (Events{FD_CONNECT, FD_READ}));

  socket.reset();
  window = RecordingWindow();
  loop.CallWatches(0);
  EXPECT_TRUE(window.Order.empty()) << "a watch reached a destroyed socket";
}

TEST_F(SocketsOnLoopback, ReplacedAndClosedSocketsLeaveNoDescriptorsOrWatchesBehind) {
  const auto descriptorsOpen = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  std::ptrdiff_t descriptors = 0, watches = 0;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_NO_FATAL_FAILURE(OpenDatagram());
    ASSERT_NO_FATAL_FAILURE(StartConnect(Listener.Address()));
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
    ASSERT_TRUE(RunUntilEvent(WM_HOST_LOOKUP_DONE)) << name;
    EXPECT_EQ(Window.Handles, std::vector<std::uintptr_t>{handle}) << "another look-up ended";
    EXPECT_EQ(Window.Errors, std::vector<unsigned>{0}) << name;
  }
  // Posted ends come in order, and a worker's end needs a watch.
  EXPECT_TRUE(abandoned.Order.empty()) << "a cancelled or abandoned look-up ended";
  EXPECT_EQ(Loop.WatchCount(), 0) << "an abandoned look-up left a watch behind";
}

TEST_F(SocketsOnLoopback, AWatchRemovedInsideItsOwnCallbackIsNotCalledAgain) {
  UdpPeer.SendTo(kLoopback, UdpPeer.Port, "x");
  int calls = 0, id = 0;
  id = Loop.AddWatch(UdpPeer.Fd, TEventLoop::WatchKind::Read, [&] {
    ++calls;
    Loop.RemoveWatch(id);
  });
  ASSERT_TRUE(RunUntil([&] { return calls == 1; }));
  RunPasses(1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Loop.WatchCount(), 0);
}

}  // namespace
