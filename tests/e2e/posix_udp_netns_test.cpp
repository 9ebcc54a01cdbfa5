// The UDP endpoint on real interfaces, inside two network namespaces joined by two veth pairs:
//
//   PC namespace                              gateway namespace
//   pa 10.77.1.1/24, 10.77.1.2/24 (pa:2) <--> ga 10.77.1.100/24
//   pb 10.77.2.1/24                      <--> gb 10.77.2.100/24
//
// The endpoint's sockets are made inside the PC namespace; plain UDP sockets in the gateway
// namespace stand for the gateways. The namespaces carry the process id in their names and are
// removed at the end, also when a test fails; ones left by a killed run are removed at start.
// Every socket that sends to a broadcast address is checked to live in a test namespace first.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/own_interfaces.h"
#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_datagram_socket.h"
#include "platform/posix/posix_host_info.h"
#include "platform/posix/posix_socket_layer.h"
#include "tests/support/netns.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kPcPrefix = "vlpc-";
constexpr const char* kGwPrefix = "vlgw-";
constexpr std::uint16_t kGatewayPort = 8003;

std::uint32_t Ip(const char* dotted) {
  return inet_addr(dotted);
}
std::uint16_t Port(std::uint16_t host) {
  return htons(host);
}

// A plain UDP socket in the gateway namespace, tied to one of its interfaces.
class GatewayPeer {
 public:
  GatewayPeer(const std::string& ns, const char* device, std::uint16_t port) {
    InNamespace inside(ns);
    if (!inside.Entered) return;
    Fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(Fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(Fd, SOL_SOCKET, SO_BINDTODEVICE, device, static_cast<socklen_t>(strlen(device)));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = Port(port);
    if (bind(Fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      close(Fd);
      Fd = -1;
    }
  }
  ~GatewayPeer() {
    if (Fd >= 0) close(Fd);
  }
  void SendTo(std::uint32_t address, std::uint16_t port, const std::string& bytes) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = port;
    ASSERT_EQ(
        sendto(Fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(bytes.size()));
  }
  // The next datagram, waiting at most five seconds; empty text when none came.
  std::string Receive(TINetSocketAddress* from = nullptr) const {
    pollfd wait{Fd, POLLIN, 0};
    if (poll(&wait, 1, 5000) != 1) return std::string();
    char buffer[512];
    sockaddr_in source{};
    socklen_t length = sizeof source;
    const ssize_t n =
        recvfrom(Fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&source), &length);
    if (n < 0) return std::string();
    if (from != nullptr) *from = TINetSocketAddress(source.sin_port, source.sin_addr.s_addr);
    return std::string(buffer, static_cast<std::size_t>(n));
  }
  int Fd = -1;
};

struct Received {
  std::string Bytes;
  TINetSocketAddress From;
};

// Reads one datagram per FD_READ, as the program does, and keeps what it read.
class ReadingWindow : public TMessageTarget {
 public:
  long WindowProc(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
    if (message != WM_SOCKET_NOTIFY || Socket == nullptr) return 0;
    if (LowWord(static_cast<std::uint64_t>(lParam)) != FD_READ) return 1;
    ++ReadNotifications;
    std::uint8_t buffer[256];
    int count = 255;
    TINetSocketAddress from;
    if (Socket->Read(buffer, count, from) >= 0) {
      Datagrams.push_back(Received{
          std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(count)), from});
    }
    return 1;
  }
  TDatagramSocket* Socket = nullptr;
  int ReadNotifications = 0;
  std::vector<Received> Datagrams;
};

class UdpEndpointInNamespaces : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (geteuid() != 0 || !Shell("ip -V")) return;
    RemoveStaleNamespaces({kPcPrefix, kGwPrefix});
    Pc = TestNamespaceName(kPcPrefix);
    Gw = TestNamespaceName(kGwPrefix);
    const std::string pc = " -n " + Pc + " ";
    const std::string gw = " -n " + Gw + " ";
    Ready = Shell("ip netns add " + Pc) && Shell("ip netns add " + Gw) &&
            Shell("ip link add pa netns " + Pc + " type veth peer name ga netns " + Gw) &&
            Shell("ip link add pb netns " + Pc + " type veth peer name gb netns " + Gw) &&
            Shell("ip" + pc + "addr add 10.77.1.1/24 brd + dev pa") &&
            Shell("ip" + pc + "addr add 10.77.1.2/24 brd + dev pa label pa:2") &&
            Shell("ip" + pc + "addr add 10.77.2.1/24 brd + dev pb") &&
            Shell("ip" + gw + "addr add 10.77.1.100/24 brd + dev ga") &&
            Shell("ip" + gw + "addr add 10.77.2.100/24 brd + dev gb") &&
            Shell("ip" + pc + "link set lo up") && Shell("ip" + pc + "link set pa up") &&
            Shell("ip" + pc + "link set pb up") && Shell("ip" + gw + "link set lo up") &&
            Shell("ip" + gw + "link set ga up") && Shell("ip" + gw + "link set gb up");
    if (Ready) {
      PcCookie = CookieOfNamespace(Pc);
      GwCookie = CookieOfNamespace(Gw);
      Ready = PcCookie != 0 && GwCookie != 0 && PcCookie != GwCookie;
    }
  }
  static void TearDownTestSuite() {
    if (!Pc.empty()) Shell("ip netns del " + Pc);
    if (!Gw.empty()) Shell("ip netns del " + Gw);
  }
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root for network namespaces";
    if (!Shell("ip -V")) GTEST_SKIP() << "needs iproute2 (ip)";
    ASSERT_TRUE(Ready) << "could not set up the namespaces";
    GaPeer = std::make_unique<GatewayPeer>(Gw, "ga", kGatewayPort);
    GbPeer = std::make_unique<GatewayPeer>(Gw, "gb", kGatewayPort);
    ASSERT_GE(GaPeer->Fd, 0);
    ASSERT_GE(GbPeer->Fd, 0);
    ASSERT_EQ(NamespaceCookie(GaPeer->Fd), GwCookie);
    ASSERT_EQ(NamespaceCookie(GbPeer->Fd), GwCookie);
  }

  // The endpoint as the program opens it, on a PC address, inside the PC namespace.
  std::unique_ptr<TDatagramSocket> OpenEndpoint(const char* address, ReadingWindow& window,
                                                std::uint16_t port = 0) {
    InNamespace inside(Pc);
    if (!inside.Entered) return nullptr;
    auto socket = Layer.NewDatagramSocket(TINetSocketAddress(port, Ip(address)));
    socket->SetNotificationWindow(&window);
    if (socket->CreateSocket() != 0 || socket->StartRegularNotification() != 0 ||
        socket->BindSocket() != 0 || socket->SetBroadcastOption(true) != 0) {
      return nullptr;
    }
    window.Socket = socket.get();
    return socket;
  }

  // Sends a search from the endpoint, after making sure that it lives in the PC namespace.
  static void Broadcast(TDatagramSocket& socket, const std::string& bytes, std::uint16_t port) {
    auto& posix = dynamic_cast<PosixDatagramSocket&>(socket);
    ASSERT_EQ(NamespaceCookie(posix.Descriptor()), PcCookie);
    ASSERT_NE(posix.InterfaceIndex(), 0u);
    ASSERT_EQ(socket.Write(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<int>(bytes.size()),
                           TINetSocketAddress(port, Ip("255.255.255.255"))),
              static_cast<int>(bytes.size()));
  }

  bool RunUntilRead(const ReadingWindow& window, std::size_t count) {
    return Loop.RunUntil([&] { return window.Datagrams.size() >= count; },
                         PollEventLoop::Clock::now() + 5s);
  }

  static inline std::string Pc;
  static inline std::string Gw;
  static inline bool Ready = false;
  static inline std::uint64_t PcCookie = 0;
  static inline std::uint64_t GwCookie = 0;

  PollEventLoop Loop;
  PosixSocketLayer Layer{Loop};
  std::unique_ptr<GatewayPeer> GaPeer;
  std::unique_ptr<GatewayPeer> GbPeer;
};

TEST_F(UdpEndpointInNamespaces, TheHostEntryListsThePcAddressesAndTheirInterfaces) {
  InNamespace inside(Pc);
  ASSERT_TRUE(inside.Entered);
  PosixHostInfoManager manager(Loop);
  THostEntry entry;
  ASSERT_EQ(manager.GetHostInfo(entry, manager.GetHostName(128)), 0);
  EXPECT_EQ(entry.Addresses,
            (std::vector<std::uint32_t>{Ip("10.77.1.1"), Ip("10.77.1.2"), Ip("10.77.2.1")}));
  const auto secondary = FindInterfaceOfAddress(Ip("10.77.1.2"));
  ASSERT_TRUE(secondary.has_value());
  EXPECT_EQ(secondary->InterfaceName, "pa") << "the label pa:2 names no device";
  EXPECT_EQ(secondary->InterfaceIndex, if_nametoindex("pa"));
  EXPECT_EQ(secondary->Broadcast, Ip("10.77.1.255"));
}

TEST_F(UdpEndpointInNamespaces, ASearchLeavesOnlyTheChosenInterfaceFromTheChosenAddress) {
  ReadingWindow markerWindow;
  auto marker = OpenEndpoint("10.77.2.1", markerWindow);
  ASSERT_NE(marker, nullptr);
  for (const char* chosen : {"10.77.1.1", "10.77.1.2"}) {
    SCOPED_TRACE(chosen);
    ReadingWindow window;
    auto endpoint = OpenEndpoint(chosen, window);
    ASSERT_NE(endpoint, nullptr);
    ASSERT_NO_FATAL_FAILURE(Broadcast(*endpoint, "search", Port(kGatewayPort)));
    TINetSocketAddress from;
    EXPECT_EQ(GaPeer->Receive(&from), "search");
    EXPECT_EQ(from.GetNetworkAddress(), Ip(chosen));
    EXPECT_EQ(from.GetPort(), endpoint->GetSocketAddress().GetPort());

    // Whatever went out of pb before the marker would arrive before it.
    ASSERT_NO_FATAL_FAILURE(Broadcast(*marker, "marker", Port(kGatewayPort)));
    EXPECT_EQ(GbPeer->Receive(&from), "marker");
    EXPECT_EQ(from.GetNetworkAddress(), Ip("10.77.2.1"));
  }
}

TEST_F(UdpEndpointInNamespaces, RepliesAreTakenWhetherUnicastOrBroadcast) {
  for (const char* chosen : {"10.77.1.1", "10.77.1.2"}) {
    SCOPED_TRACE(chosen);
    ReadingWindow window;
    auto endpoint = OpenEndpoint(chosen, window);
    ASSERT_NE(endpoint, nullptr);
    ASSERT_NO_FATAL_FAILURE(Broadcast(*endpoint, "search", Port(kGatewayPort)));
    TINetSocketAddress pc;
    ASSERT_EQ(GaPeer->Receive(&pc), "search");

    GaPeer->SendTo(pc.GetNetworkAddress(), pc.GetPort(), "unicast");
    GaPeer->SendTo(Ip("255.255.255.255"), pc.GetPort(), "broadcast");
    GaPeer->SendTo(Ip("10.77.1.255"), pc.GetPort(), "subnet broadcast");
    ASSERT_TRUE(RunUntilRead(window, 3));
    ASSERT_EQ(window.Datagrams.size(), 3u);
    EXPECT_EQ(window.Datagrams[0].Bytes, "unicast");
    EXPECT_EQ(window.Datagrams[1].Bytes, "broadcast");
    EXPECT_EQ(window.Datagrams[2].Bytes, "subnet broadcast");
    for (const Received& got : window.Datagrams) {
      EXPECT_EQ(got.From, TINetSocketAddress(Port(kGatewayPort), Ip("10.77.1.100")));
    }
  }
}

TEST_F(UdpEndpointInNamespaces, DatagramsFromAnotherInterfaceOrForAnotherAddressAreNotTaken) {
  ReadingWindow window;
  auto endpoint = OpenEndpoint("10.77.1.1", window);
  ASSERT_NE(endpoint, nullptr);
  const std::uint16_t port = endpoint->GetSocketAddress().GetPort();
  // A second endpoint on pb with the same port shows that pb's datagrams reach the PC.
  ReadingWindow otherWindow;
  auto other = OpenEndpoint("10.77.2.1", otherWindow, port);
  ASSERT_NE(other, nullptr);

  GbPeer->SendTo(Ip("255.255.255.255"), port, "broadcast on pb");
  GbPeer->SendTo(Ip("10.77.2.1"), port, "unicast on pb");
  GaPeer->SendTo(Ip("10.77.1.2"), port, "for the secondary address");
  // Our own broadcast to our own port comes back to us through the loopback of broadcasts.
  ASSERT_NO_FATAL_FAILURE(Broadcast(*endpoint, "own", port));
  GaPeer->SendTo(Ip("10.77.1.1"), port, "marker");

  ASSERT_TRUE(RunUntilRead(window, 1));
  ASSERT_TRUE(RunUntilRead(otherWindow, 2));
  for (int pass = 0; pass < 5; ++pass)
    Loop.RunOnce(0ms);
  ASSERT_EQ(window.Datagrams.size(), 1u);
  EXPECT_EQ(window.Datagrams[0].Bytes, "marker");
  EXPECT_EQ(window.ReadNotifications, 1) << "a notification for a datagram not taken";
  ASSERT_EQ(otherWindow.Datagrams.size(), 2u);
  EXPECT_EQ(otherWindow.Datagrams[0].Bytes, "broadcast on pb");
  EXPECT_EQ(otherWindow.Datagrams[1].Bytes, "unicast on pb");
}

}  // namespace
