// Datagram and stream sockets on loopback. Bound to 127.0.0.1 the datagram socket is tied to
// interface "lo"; nothing here sends to a broadcast address (that runs only inside network
// namespaces, tests/e2e).
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/own_interfaces.h"
#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_datagram_socket.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/posix/posix_stream_socket.h"

namespace {

using namespace std::chrono_literals;
using Events = std::vector<unsigned>;

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

class RecordingWindow : public TMessageTarget {
 public:
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (message != WM_SOCKET_NOTIFY) return 0;
    Handles.push_back(wParam);
    Order.push_back(LowWord(static_cast<std::uint64_t>(lParam)));
    Errors.push_back(HighWord(static_cast<std::uint64_t>(lParam)));
    if (OnNotify) OnNotify(Order.back());
    return 1;
  }
  int Count(unsigned event) const {
    int count = 0;
    for (const unsigned e : Order)
      count += e == event ? 1 : 0;
    return count;
  }
  void Clear() {
    Handles.clear();
    Order.clear();
    Errors.clear();
  }
  std::vector<std::uintptr_t> Handles;
  Events Order;
  std::vector<unsigned> Errors;
  std::function<void(unsigned event)> OnNotify;
};

// A plain socket on 127.0.0.1: the other end. A stream peer listens and keeps what it accepts.
class Peer {
 public:
  explicit Peer(int type) {
    Fd = socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
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
    ASSERT_EQ(
        sendto(Fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(bytes.size()));
  }
  bool Accept() {
    close(Accepted);
    pollfd wait{Fd, POLLIN, 0};
    Accepted = poll(&wait, 1, 5000) == 1 ? accept4(Fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    return Accepted >= 0;
  }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(send(Accepted, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  }
  // Ends the accepted connection, with a reset (RST) instead of a close (FIN) when asked.
  void Hangup(bool reset) {
    const linger abort{1, 0};
    if (reset) setsockopt(Accepted, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(Accepted);
    Accepted = -1;
  }
  int Fd = -1;
  int Accepted = -1;
  std::uint16_t Port = 0;  // network order
};

bool WaitFor(int fd, short events) {
  pollfd wait{fd, events, 0};
  return poll(&wait, 1, 5000) == 1;
}

// Compared as "no more than": a look-up worker of an earlier test may close its end
// meanwhile, while a leak adds one per socket.
int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (dirent* entry = readdir(dir))
    count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(dir);
  return count;
}

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
  // Reads one datagram per FD_READ, as the program does.
  void ReadDatagramOnEveryNotification() {
    Window.OnNotify = [this](unsigned event) {
      std::uint8_t buffer[256];
      int count = 255;
      TINetSocketAddress from;
      if (event == FD_READ && Datagram->Read(buffer, count, from) >= 0) {
        Received.emplace_back(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(count));
        LastSource = from;
      }
    };
  }
  // The terminal's connect: create, notify, bind, connect; then FD_CONNECT and accept.
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
    ASSERT_NO_FATAL_FAILURE(StartConnect(Listener.Address()));
    ASSERT_TRUE(RunUntilEvent(FD_CONNECT));
    ASSERT_EQ(Window.Errors.back(), 0u);
    ASSERT_TRUE(Listener.Accept());
  }
  void ReadStreamOnEveryNotification(int room) {
    Window.OnNotify = [this, room](unsigned event) {
      std::uint8_t buffer[2048];
      int count = room;
      if (event == FD_READ && Stream->Read(buffer, count) > 0) {
        Text.append(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(count));
      }
    };
  }
  int StreamFd() const { return dynamic_cast<PosixStreamSocket&>(*Stream).Descriptor(); }

  PollEventLoop Loop;
  PosixSocketLayer Layer{Loop};
  RecordingWindow Window;
  std::unique_ptr<TDatagramSocket> Datagram;
  std::uint16_t Port = 0;
  Peer UdpPeer{SOCK_DGRAM};
  std::vector<std::string> Received;
  TINetSocketAddress LastSource;
  std::unique_ptr<TStreamSocket> Stream;
  Peer Listener{SOCK_STREAM};
  std::string Text;
};

TEST_F(SocketsOnLoopback, DatagramReadNotificationsRepeatPerReadAndStopWhenDrained) {
  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  for (const char* text : {"one", "two", "three"})
    UdpPeer.SendTo(kLoopback, Port, text);
  ReadDatagramOnEveryNotification();
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 3; }));
  RunPasses(5);
  EXPECT_EQ(Received, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(LastSource, UdpPeer.Address());
  EXPECT_EQ(Window.Order, (Events{FD_READ, FD_READ, FD_READ})) << "no FD_WRITE, no extra";
  EXPECT_EQ(Window.Handles[0], static_cast<std::uintptr_t>(
                                   dynamic_cast<PosixDatagramSocket&>(*Datagram).Descriptor()));

  // A window that does not read hears nothing more until it does.
  Window.OnNotify = nullptr;
  UdpPeer.SendTo(kLoopback, Port, "a");
  UdpPeer.SendTo(kLoopback, Port, "b");
  ASSERT_TRUE(RunUntil([&] { return Window.Count(FD_READ) == 4; }));
  RunPasses(3);
  EXPECT_EQ(Window.Count(FD_READ), 4);
  std::uint8_t buffer[8];
  int count = sizeof buffer;
  TINetSocketAddress from;
  EXPECT_EQ(Datagram->Read(buffer, count, from), 1);
  RunPasses(1);
  EXPECT_EQ(Window.Count(FD_READ), 5);
}

TEST_F(SocketsOnLoopback, DatagramFailuresCarryTheirWinSockNumbers) {
  Datagram = Layer.NewDatagramSocket(TINetSocketAddress(0, kLoopback));
  ASSERT_EQ(Datagram->CreateSocket(), 0);
  std::uint8_t buffer[256] = {};
  EXPECT_EQ(Datagram->Write(buffer, 1, UdpPeer.Address()), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10022) << "sent before being tied to its interface";
  EXPECT_LT(recv(UdpPeer.Fd, buffer, sizeof buffer, MSG_DONTWAIT), 0);

  auto foreign = Layer.NewDatagramSocket(TINetSocketAddress(0, htonl(0xCB00714D)));  // TEST-NET
  ASSERT_FALSE(FindInterfaceOfAddress(htonl(0xCB00714D)).has_value());
  ASSERT_EQ(foreign->CreateSocket(), 0);
  EXPECT_EQ(foreign->BindSocket(), -1);
  EXPECT_EQ(foreign->GetLastError(), 10049);

  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  TINetSocketAddress from;
  int count = 255;
  EXPECT_EQ(Datagram->Read(buffer, count, from), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10035);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Datagram->Write(buffer, 1, TINetSocketAddress(UdpPeer.Port, 0)), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10049) << "0.0.0.0 is no destination";

  // Too long for the room: that datagram fails and is gone, the next one stays.
  UdpPeer.SendTo(kLoopback, Port, std::string(300, 'L'));
  UdpPeer.SendTo(kLoopback, Port, "short");
  ASSERT_TRUE(RunUntilEvent(FD_READ));
  count = 255;
  EXPECT_EQ(Datagram->Read(buffer, count, from), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10040);
  count = 255;
  EXPECT_EQ(Datagram->Read(buffer, count, from), 5);

  ASSERT_EQ(Datagram->CloseSocket(), 0);
  EXPECT_EQ(Datagram->Read(buffer, count, from), -1);
  EXPECT_EQ(Datagram->GetLastError(), 10038);
}

TEST_F(SocketsOnLoopback, DatagramsLeaveFromTheChosenAddressAndOwnOnesAreNeverTaken) {
  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  EXPECT_EQ(dynamic_cast<PosixDatagramSocket&>(*Datagram).InterfaceIndex(),
            FindInterfaceOfAddress(kLoopback)->InterfaceIndex);
  const std::uint8_t request[] = {1, 2, 3};
  EXPECT_EQ(Datagram->Write(request, 3, UdpPeer.Address()), 3);
  ASSERT_TRUE(WaitFor(UdpPeer.Fd, POLLIN));
  sockaddr_in source{};
  socklen_t length = sizeof source;
  char got[8];
  EXPECT_EQ(recvfrom(UdpPeer.Fd, got, sizeof got, 0, reinterpret_cast<sockaddr*>(&source), &length),
            3);
  EXPECT_EQ(TINetSocketAddress(source.sin_port, source.sin_addr.s_addr),
            TINetSocketAddress(Port, kLoopback));

  // Our own datagram and one for another address of the interface are consumed unseen.
  EXPECT_EQ(Datagram->Write(request, 3, TINetSocketAddress(Port, kLoopback)), 3);
  UdpPeer.SendTo(htonl(0x7F000002), Port, "elsewhere");
  UdpPeer.SendTo(kLoopback, Port, "reply");
  ReadDatagramOnEveryNotification();
  ASSERT_TRUE(RunUntil([&] { return !Received.empty(); }));
  RunPasses(3);
  EXPECT_EQ(Received, (std::vector<std::string>{"reply"}));
  EXPECT_EQ(Window.Count(FD_READ), 1);
}

TEST_F(SocketsOnLoopback, AWindowMayCloseOrDestroyTheSocketInsideItsReadNotification) {
  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  for (int i = 0; i < 3; ++i)
    UdpPeer.SendTo(kLoopback, Port, "x");
  Window.OnNotify = [&](unsigned) { Datagram->CloseSocket(); };
  ASSERT_TRUE(RunUntilEvent(FD_READ));
  RunPasses(3);
  EXPECT_EQ(Window.Count(FD_READ), 1);

  ASSERT_NO_FATAL_FAILURE(OpenDatagram());
  for (int i = 0; i < 3; ++i)
    UdpPeer.SendTo(kLoopback, Port, "y");
  Window.OnNotify = [&](unsigned) { Datagram.reset(); };
  ASSERT_TRUE(RunUntil([&] { return Window.Count(FD_READ) == 2; }));
  RunPasses(3);
  EXPECT_EQ(Window.Count(FD_READ), 2);
}

TEST_F(SocketsOnLoopback, ConnectToTheAnyAddressFailsAtOnceWithoutReachingThisMachine) {
  Stream = Layer.NewStreamSocket(TINetSocketAddress(0, kLoopback));
  Stream->SetNotificationWindow(&Window);
  ASSERT_EQ(Stream->CreateSocket(), 0);
  ASSERT_EQ(Stream->StartRegularNotification(), 0);
  ASSERT_EQ(Stream->BindSocket(), 0);
  EXPECT_EQ(Stream->Connect(TINetSocketAddress(Listener.Port, 0)), -1);
  EXPECT_EQ(Stream->GetLastError(), 10049);
  RunPasses(3);
  EXPECT_TRUE(Window.Order.empty());
  // On this system a connect to 0.0.0.0 would land on 127.0.0.1, at the listener.
  pollfd wait{Listener.Fd, POLLIN, 0};
  EXPECT_EQ(poll(&wait, 1, 100), 0) << "the connect reached this machine";
}

TEST_F(SocketsOnLoopback, ConnectEndsWithFdConnectAndReadsFollowTheState) {
  std::uint8_t buffer[64];
  int count = sizeof buffer;
  ASSERT_NO_FATAL_FAILURE(StartConnect(Listener.Address()));
  EXPECT_EQ(Stream->Read(buffer, count), -1);
  EXPECT_EQ(Stream->GetLastError(), 10057) << "not connected yet";
  ASSERT_TRUE(RunUntilEvent(FD_CONNECT));
  EXPECT_EQ(Window.Order, (Events{FD_CONNECT}));
  EXPECT_EQ(Window.Errors, (std::vector<unsigned>{0}));
  EXPECT_EQ(Window.Handles[0], static_cast<std::uintptr_t>(StreamFd()));
  count = sizeof buffer;
  EXPECT_EQ(Stream->Read(buffer, count), -1);
  EXPECT_EQ(Stream->GetLastError(), 10035) << "connected, nothing waits";

  // Refused: the outcome comes as FD_CONNECT 10061, and nothing after it.
  const TINetSocketAddress closedPort = Peer(SOCK_STREAM).Address();
  Window.Clear();
  ASSERT_NO_FATAL_FAILURE(StartConnect(closedPort));
  ASSERT_TRUE(RunUntilEvent(FD_CONNECT));
  RunPasses(3);
  EXPECT_EQ(Window.Order, (Events{FD_CONNECT}));
  EXPECT_EQ(Window.Errors, (std::vector<unsigned>{10061}));
}

TEST_F(SocketsOnLoopback, ThePeersCloseComesOnceAfterAllDataHasBeenRead) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  ReadStreamOnEveryNotification(2);
  Listener.Send("hello");
  Listener.Hangup(false);
  ASSERT_TRUE(RunUntilEvent(FD_CLOSE));
  RunPasses(3);
  EXPECT_EQ(Text, "hello");
  EXPECT_EQ(Window.Order, (Events{FD_CONNECT, FD_READ, FD_READ, FD_READ, FD_CLOSE}));
  EXPECT_EQ(Window.Errors.back(), 0u);
}

TEST_F(SocketsOnLoopback, AResetComesAsFdClose10054AfterTheDataBeforeIt) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  ReadStreamOnEveryNotification(3);
  Listener.Send("data");
  Listener.Hangup(true);
  ASSERT_TRUE(WaitFor(StreamFd(), POLLERR));
  ASSERT_TRUE(RunUntilEvent(FD_CLOSE));
  RunPasses(3);
  EXPECT_EQ(Text, "data");
  EXPECT_EQ(Window.Order, (Events{FD_CONNECT, FD_READ, FD_READ, FD_CLOSE}));
  EXPECT_EQ(Window.Errors.back(), 10054u);

  // A reset that a read meets first (the system reports it once) still reaches FD_CLOSE.
  Window.Clear();
  ASSERT_NO_FATAL_FAILURE(Connect());
  Listener.Hangup(true);
  ASSERT_TRUE(WaitFor(StreamFd(), POLLERR));
  std::uint8_t buffer[16];
  int count = sizeof buffer;
  EXPECT_EQ(Stream->Read(buffer, count), -1);
  EXPECT_EQ(Stream->GetLastError(), 10054);
  ASSERT_TRUE(RunUntilEvent(FD_CLOSE));
  EXPECT_EQ(Window.Errors.back(), 10054u);
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
    for (std::size_t i = first; i < Watches.size(); ++i) {
      const Callback call = Watches[i];  // the vector may grow inside the call
      call();
    }
  }
  std::vector<Callback> Watches;
};

TEST(StaleNotifications, NoneReachAClosedSocketNorTheOneThatReusesItsDescriptorNumber) {
  KeepingLoop loop;
  RecordingWindow window;
  Peer listener(SOCK_STREAM);
  auto socket = std::make_unique<PosixStreamSocket>(loop, TINetSocketAddress(0, kLoopback));
  socket->SetNotificationWindow(&window);
  auto connect = [&] {
    ASSERT_EQ(socket->CreateSocket(), 0);
    ASSERT_EQ(socket->StartRegularNotification(), 0);
    ASSERT_EQ(socket->Connect(listener.Address()), -1);
    ASSERT_TRUE(WaitFor(socket->Descriptor(), POLLOUT));
    ASSERT_TRUE(listener.Accept());
    listener.Send("data");
    ASSERT_TRUE(WaitFor(socket->Descriptor(), POLLIN));
  };
  ASSERT_NO_FATAL_FAILURE(connect());
  const int oldFd = socket->Descriptor();
  loop.CallWatches(0);
  ASSERT_EQ(window.Order, (Events{FD_CONNECT, FD_READ}));
  const std::size_t oldWatches = loop.Watches.size();

  // Closed and created again under the same number, with data waiting again.
  ASSERT_EQ(socket->CloseSocket(), 0);
  ASSERT_NO_FATAL_FAILURE(connect());
  ASSERT_EQ(socket->Descriptor(), oldFd);
  window.Clear();
  for (std::size_t i = 0; i < oldWatches; ++i)
    loop.Watches[i]();
  EXPECT_TRUE(window.Order.empty()) << "an old watch reached the new socket";
  loop.CallWatches(oldWatches);
  EXPECT_EQ(window.Order, (Events{FD_CONNECT, FD_READ}));

  socket.reset();
  window.Clear();
  loop.CallWatches(0);
  EXPECT_TRUE(window.Order.empty()) << "a watch reached a destroyed socket";
}

TEST_F(SocketsOnLoopback, ReplacedAndReopenedSocketsLeaveNoDescriptorsOrWatchesBehind) {
  int descriptors = 0;
  int watches = 0;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_NO_FATAL_FAILURE(OpenDatagram());
    ASSERT_NO_FATAL_FAILURE(StartConnect(Listener.Address()));
    if (i == 0) {
      descriptors = OpenDescriptors();
      watches = Loop.WatchCount();
    }
  }
  EXPECT_LE(OpenDescriptors(), descriptors);
  EXPECT_EQ(Loop.WatchCount(), watches);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(Datagram->CloseSocket(), 0);
    ASSERT_EQ(Datagram->CreateSocket(), 0);
    ASSERT_EQ(Datagram->StartRegularNotification(), 0);
    ASSERT_EQ(Datagram->BindSocket(), 0);
    ASSERT_EQ(Stream->CloseSocket(), 0);
    ASSERT_EQ(Stream->CreateSocket(), 0);
    ASSERT_EQ(Stream->StartRegularNotification(), 0);
    ASSERT_EQ(Stream->Connect(Listener.Address()), -1);
  }
  EXPECT_LE(OpenDescriptors(), descriptors);
  EXPECT_EQ(Loop.WatchCount(), watches);
  ReadDatagramOnEveryNotification();
  UdpPeer.SendTo(kLoopback, Datagram->GetSocketAddress().GetPort(), "still works");
  EXPECT_TRUE(RunUntil([&] { return !Received.empty(); }));
}

}  // namespace
