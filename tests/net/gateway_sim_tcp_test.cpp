// The simulator's TCP line port on loopback: every line it sends ends in CR LF.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/sim_process.h"

namespace {

// The first `count` lines a new client receives, each with its line end; fewer when the
// simulator closes or sends nothing for five seconds.
std::vector<std::string> FirstLines(const SimProcess& sim, std::size_t count) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const timeval bound{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
  std::vector<std::string> lines;
  std::string bytes;
  char chunk[4096];
  ssize_t got = connect(fd, reinterpret_cast<const sockaddr*>(&sim.Tcp()), sizeof(sockaddr_in));
  while (got >= 0 && lines.size() < count && (got = recv(fd, chunk, sizeof chunk, 0)) > 0) {
    bytes.append(chunk, static_cast<std::size_t>(got));
    for (std::size_t end; lines.size() < count && (end = bytes.find('\n')) != std::string::npos;
         bytes.erase(0, end + 1))
      lines.push_back(bytes.substr(0, end + 1));
  }
  close(fd);
  return lines;
}

TEST(GatewaySimTcp, StatusLinesAtOnceAndPerIntervalAndFloodLinesOfTheirLengthEndInCrLf) {
  SimProcess status({"--interval-ms", "50", "--gateway", "name=press-3"});
  const auto lines = FirstLines(status, 2);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("press-3 (02 00 00 00 00 01) status line 1,", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("press-3 (02 00 00 00 00 01) status line 2,", 0), 0u) << lines[1];
  for (const auto& line : lines)
    EXPECT_EQ(line.find('\r'), line.size() - 2) << "one CR, right before the LF: " << line;

  SimProcess flood({"--tcp-mode", "flood", "--line-length", "100"});
  const auto flooded = FirstLines(flood, 500);
  ASSERT_EQ(flooded.size(), 500u);
  for (const auto& line : flooded)
    ASSERT_TRUE(line.size() == 102 && line.find('\r') == 100) << "not 100 bytes, CR, LF: " << line;
}

}  // namespace
