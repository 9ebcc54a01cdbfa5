#include "tests/e2e/program_lab.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/support/readme_block.h"

std::unique_ptr<NamespaceLab> ProgramLab::Lab;
std::string ProgramLab::Pc, ProgramLab::GwA, ProgramLab::GwB;

void ProgramLab::SetUpTestSuite() {
  if (!CanMakeNamespaces()) return;
  Lab = std::make_unique<NamespaceLab>();
  Pc = Lab->Add("vepc-");
  GwA = Lab->Add("vega-");
  GwB = Lab->Add("vegb-");
  Lab->Link(Pc, "pa", GwA, "ga");
  Lab->Link(Pc, "pb", GwB, "gb");
  Lab->Address(Pc, "pa", "10.88.1.1/24");
  Lab->Address(Pc, "pa", "10.88.1.2/24", true, "pa:2");
  Lab->Address(Pc, "pb", "10.88.2.1/24", false);  // no broadcast attribute on purpose
  Lab->Address(GwA, "ga", "10.88.1.100/24");
  for (const char* module : {"10.88.1.50/24", "10.88.1.51/24", "10.88.1.52/24"})
    Lab->Address(GwA, "ga", module, false);
  Lab->Address(GwB, "gb", "10.88.2.100/24");
  Lab->Address(GwB, "gb", "10.88.2.50/24", false);
}

void ProgramLab::TearDownTestSuite() {
  Lab.reset();
}

void ProgramLab::SetUp() {
  if (!CanMakeNamespaces()) GTEST_SKIP() << "needs root and iproute2 for network namespaces";
  ASSERT_TRUE(Lab && Lab->Ready()) << "could not set up the namespaces";
}

void ProgramLab::TearDown() {
  EndProgram();
  SimA.reset();
  SimB.reset();
}

void ProgramLab::EndProgram() {
  Program.reset();
  Sockets.reset();
  Loop.reset();
  Inside.reset();
}

void ProgramLab::StartSimulatorA(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--interface", "ga", "--ip-base", "10.88.1.50"};
  if (std::find(extra.begin(), extra.end(), "--gateways") == extra.end())
    args.insert(args.end(), {"--gateways", "3"});
  args.insert(args.end(), extra.begin(), extra.end());
  SimA = std::make_unique<SimProcess>(GwA, args);
  ASSERT_TRUE(SimA->Ready()) << "simulator A did not start";
}

void ProgramLab::StartSimulatorB(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--interface", "gb",         "--gateways", "1",
                                   "--ip-base",   "10.88.2.50", "--mac-base", "02:00:00:00:20:01"};
  args.insert(args.end(), extra.begin(), extra.end());
  SimB = std::make_unique<SimProcess>(GwB, args);
  ASSERT_TRUE(SimB->Ready()) << "simulator B did not start";
}

void ProgramLab::StartProgram(const std::string& netns, StartOptions options) {
  ProgramNetns = netns.empty() ? Pc : netns;
  Inside = std::make_unique<InNamespace>(ProgramNetns);
  ASSERT_TRUE(Inside->Entered);
  Loop = std::make_unique<QtEventLoop>();
  Sockets = std::make_unique<PosixSocketLayer>(*Loop);
  if (options.Line) options.Line->Loop = Loop.get();
  Program = std::make_unique<QtProgram>(*Sockets, options);
}

void ProgramLab::StartWithModules(const std::vector<std::string>& extra) {
  ASSERT_NO_FATAL_FAILURE(StartSimulatorA(extra));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
}

bool ProgramLab::Until(const std::function<bool()>& condition, int boundMs) {
  return Program->PumpUntil(condition, boundMs, [this] {
    if (SimA) SimA->Pump(0);
    if (SimB) SimB->Pump(0);
  });
}

std::string ProgramLab::Received(SimProcess& sim, const std::string& command, int boundMs) {
  std::string line;
  Until(
      [&] {
        line = sim.TakeLine("rx", {"cmd=" + command}, 0);
        return !line.empty();
      },
      boundMs);
  return line;
}

std::vector<std::string> ProgramLab::Requests(SimProcess& sim, const std::string& command,
                                              int boundMs) {
  std::vector<std::string> lines;
  for (std::string line; !(line = sim.TakeLine("rx", {"cmd=" + command}, boundMs)).empty();)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> ProgramLab::HeardBefore(SimProcess& sim, const std::string& device,
                                                 const std::string& address,
                                                 const std::string& netns) {
  {
    InNamespace there(netns.empty() ? Pc : netns);
    EXPECT_TRUE(there.Entered);
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, device.c_str(),
               static_cast<socklen_t>(device.size()));
    sockaddr_in to{AF_INET, htons(kGatewayPort), {}, {}};
    inet_pton(AF_INET, address.c_str(), &to.sin_addr);
    EXPECT_EQ(sendto(fd, "?", 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 1);
    close(fd);
  }
  const auto before = sim.TakeBefore("malformed", {"len=1 reason="}, 10000);
  EXPECT_TRUE(before) << "the simulator did not hear the test's datagram";
  std::vector<std::string> heard;
  for (const std::string& line : before.value_or(std::vector<std::string>{})) {
    const std::string event = line.substr(line.find(' ') + 1);
    if (event.starts_with("rx ") || event.starts_with("malformed ") ||
        event.starts_with("tcp-open "))
      heard.push_back(line);
  }
  return heard;
}

std::string Field(const std::string& line, const std::string& key) {
  const std::size_t at = line.find(" " + key + "=");
  if (at == std::string::npos) return {};
  const std::size_t start = at + key.size() + 2;
  if (start < line.size() && line[start] == '"') {
    return line.substr(start + 1, line.find('"', start + 1) - start - 1);
  }
  return line.substr(start, line.find(' ', start) - start);
}

std::uint16_t ProgramLab::FromPort(const std::string& line) {
  const std::string from = Field(line, "from");
  return static_cast<std::uint16_t>(std::atoi(from.c_str() + from.find(':') + 1));
}

void ProgramLab::SendReply(const std::string& netns, const std::string& device,
                           const std::string& address, std::uint16_t port,
                           const GatewayRecord& record, const std::string& to) {
  InNamespace there(netns);
  ASSERT_TRUE(there.Entered);
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, device.c_str(),
             static_cast<socklen_t>(device.size()));
  sockaddr_in local{AF_INET, htons(kGatewayPort), {}, {}}, peer{AF_INET, htons(port), {}, {}};
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  inet_pton(AF_INET, to.c_str(), &peer.sin_addr);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  const auto reply = BuildGatewayInfoReply(record);
  EXPECT_EQ(
      sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&peer), sizeof peer),
      static_cast<ssize_t>(reply.size()));
  close(fd);
}

GatewayRecord ProgramLab::ModuleOne() {
  GatewayRecord r = kEmptyGatewayRecord;
  r.Mac[0] = 0x02;
  r.Mac[5] = 0x01;
  r.ActualIp = r.Ip = Ipv4(10, 88, 1, 50);
  r.Netmask = Ipv4(255, 255, 255, 0);
  r.GatewayIp = r.DnsIp = Ipv4(10, 88, 1, 1);
  r.Port = 80;
  std::strcpy(r.Name, "sim-gw-1");
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> GuideBlock(const std::string& tag) {
  return DocumentBlock(VELLORA_GUIDE, tag);
}
