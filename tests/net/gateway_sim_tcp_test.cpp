// The simulator's TCP line port on loopback: CR LF terminated lines in each mode, several
// clients at once, and clients that go away.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/sim_process.h"

namespace {

std::vector<std::string> SplitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  return lines;
}

TEST(GatewaySimTcp, StatusLinesGoToEveryClientAtOnceAndThenPerInterval) {
  SimProcess sim({"--interval-ms", "100", "--gateway", "name=press-3"});
  ASSERT_TRUE(sim.Ready());
  const int a = ConnectTcp(sim);
  const int b = ConnectTcp(sim);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  for (const int fd : {a, b}) {
    std::string bytes;
    // The first line comes on connect, the second one an interval later.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (SplitCrLf(bytes).size() < 2 && std::chrono::steady_clock::now() < deadline)
      ReadTcp(sim, fd, bytes, bytes.size() + 1, 100);
    const auto lines = SplitCrLf(bytes);
    ASSERT_GE(lines.size(), 2u) << bytes;
    EXPECT_EQ(lines[0].rfind("press-3 (02 00 00 00 00 01) status line 1,", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("press-3 (02 00 00 00 00 01) status line 2,", 0), 0u) << lines[1];
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1) << "every line ends in CR LF";
    close(fd);
  }
  EXPECT_FALSE(sim.TakeLine("tcp-open", {"clients=2"}).empty());
  EXPECT_FALSE(sim.TakeLine("tcp-close", {"reason=peer"}).empty());
}

TEST(GatewaySimTcp, FloodSendsNumberedLinesOfTheGivenLength) {
  SimProcess sim({"--tcp-mode", "flood", "--line-length", "100"});
  ASSERT_TRUE(sim.Ready());
  const int fd = ConnectTcp(sim);
  ASSERT_GE(fd, 0);
  std::string bytes;
  ASSERT_TRUE(ReadTcp(sim, fd, bytes, 2000 * 102, 5000));
  const auto lines = SplitCrLf(bytes);
  ASSERT_GE(lines.size(), 2000u);
  for (std::size_t i = 0; i < 2000; ++i) {
    ASSERT_EQ(lines[i].size(), 100u) << i;
    char number[16];
    std::snprintf(number, sizeof number, "%08zu ", i + 1);
    ASSERT_EQ(lines[i].compare(0, 9, number), 0) << lines[i];
  }
  EXPECT_EQ(lines[0].substr(9, 5), "ABCDE");
  close(fd);
}

TEST(GatewaySimTcp, FloodRateLimitsTheLinesPerSecond) {
  SimProcess sim({"--tcp-mode", "flood", "--rate", "40", "--line-length", "10"});
  ASSERT_TRUE(sim.Ready());
  const int fd = ConnectTcp(sim);
  ASSERT_GE(fd, 0);
  const auto start = std::chrono::steady_clock::now();
  std::string bytes;
  ReadTcp(sim, fd, bytes, 1000 * 12, 500);  // reads for half a second
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto lines = SplitCrLf(bytes).size();
  EXPECT_LE(static_cast<double>(lines), 2 + 40 * seconds);
  EXPECT_GE(lines, 10u);
  close(fd);
}

TEST(GatewaySimTcp, CloseModeSendsItsLinesThenCloses) {
  SimProcess sim({"--tcp-mode", "close", "--close-after", "4"});
  ASSERT_TRUE(sim.Ready());
  const int fd = ConnectTcp(sim);
  ASSERT_GE(fd, 0);
  std::string bytes;
  EXPECT_FALSE(ReadTcp(sim, fd, bytes, 1 << 20, 2000)) << "the simulator closes";
  EXPECT_EQ(SplitCrLf(bytes).size(), 4u);
  EXPECT_FALSE(sim.TakeLine("tcp-close", {"lines=4", "reason=done"}).empty());
  close(fd);
}

TEST(GatewaySimTcp, ClientsThatVanishDoNotDisturbTheOthers) {
  SimProcess sim({"--tcp-mode", "flood", "--max-clients", "2"});
  ASSERT_TRUE(sim.Ready());
  // A client that resets the connection with unread data, while the simulator is writing.
  const int rude = ConnectTcp(sim);
  ASSERT_GE(rude, 0);
  std::string bytes;
  ReadTcp(sim, rude, bytes, 1000, 2000);
  const linger reset{1, 0};
  setsockopt(rude, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(rude);
  EXPECT_FALSE(sim.TakeLine("tcp-close", {"reason="}).empty());

  // Three clients with room for two: one of them is accepted and closed at once, the other
  // two keep getting lines.
  const int fds[3] = {ConnectTcp(sim), ConnectTcp(sim), ConnectTcp(sim)};
  EXPECT_FALSE(sim.TakeLine("tcp-close", {"lines=0", "reason=refused"}).empty());
  int served = 0;
  int refused = 0;
  for (const int fd : fds) {
    ASSERT_GE(fd, 0);
    std::string more;
    if (ReadTcp(sim, fd, more, 10000, 2000) && more.size() >= 10000) ++served;
    if (more.empty()) ++refused;
  }
  for (const int fd : fds)
    close(fd);
  EXPECT_EQ(served, 2);
  EXPECT_EQ(refused, 1);

  UdpClient client;
  client.Send(sim.Udp(), BuildSearchRequest());
  EXPECT_EQ(client.Receive(sim, 1).size(), 1u) << "the UDP side still answers";
}

}  // namespace
