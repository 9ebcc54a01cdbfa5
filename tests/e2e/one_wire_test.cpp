// One bench, one wire: identical benches give several interfaces of a PC the same address.
// Each entry of the PC address list works on its own wire only, in the window and in
// vellora-cli; an address that leaves its interface, or an interface made again, ends the
// choice; a module that dies silently ends the connection.
//
//   PC namespace                  wire namespaces
//   p1 10.1.0.1/24  <-->  g1 10.1.0.100/24: module 02:00:00:00:01:01, in use 10.1.0.101
//   p2 10.1.0.1/24  <-->  g2 10.1.0.100/24: module 02:00:00:00:02:01, in use 10.1.0.101
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QtTest/QTest>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"
#include "tests/support/child_run.h"

namespace {

const char* const kBanner = "Quenlan V1.11 18.07.2008";

class OneWireTest : public ProgramLab {
 protected:
  static void SetUpTestSuite() {
    if (!CanMakeNamespaces()) return;
    Lab = std::make_unique<NamespaceLab>();
    Pc = Lab->Add("vewp-");
    GwA = Lab->Add("vew1-");
    GwB = Lab->Add("vew2-");
    Lab->Link(Pc, "p1", GwA, "g1");
    Lab->Link(Pc, "p2", GwB, "g2");
    Lab->Address(Pc, "p1", "10.1.0.1/24");
    Lab->Address(Pc, "p2", "10.1.0.1/24");
    AddressWire(GwA, "g1");
    AddressWire(GwB, "g2");
  }
  static void TearDownTestSuite() { Lab.reset(); }
  static void AddressWire(const std::string& space, const std::string& device) {
    Lab->Address(space, device, "10.1.0.100/24");
    Lab->Address(space, device, "10.1.0.101/24", false);
  }

  void SetUp() override {
    ProgramLab::SetUp();
    folder = std::filesystem::temp_directory_path() / ("vellora-wire-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    ProgramLab::TearDown();
    std::filesystem::remove_all(folder);
  }

  // The module of each wire, status lines on TCP port 80 every `intervalMs`.
  void StartWires(const std::string& intervalMs = "1000") {
    for (int wire : {1, 2}) {
      const std::string n = std::to_string(wire);
      auto sim = std::make_unique<SimProcess>(
          wire == 1 ? GwA : GwB,
          std::vector<std::string>{"--interface", "g" + n, "--ip-base", "10.1.0.101", "--mac-base",
                                   "02:00:00:00:0" + n + ":01", "--reboot-seconds", "0.2",
                                   "--interval-ms", intervalMs});
      ASSERT_TRUE(sim->Ready()) << "simulator of wire " << wire << " did not start";
      (wire == 1 ? SimA : SimB) = std::move(sim);
    }
  }
  // The program listing the module of the wire the entry stands for.
  void StartOn(int entry) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    if (entry != 0) Program->Pick(IdPcIpCombo, entry);
    ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  }
  // Nothing more reaches the simulator (a bound against a wait that never ends, not a measure).
  static bool HearsNothing(SimProcess& sim) { return sim.TakeLine("rx", {}, 300).empty(); }
  std::string Entry(const std::string& address) const {
    for (const std::string& entry : Program->Combo(IdPcIpCombo))
      if (entry.find(": " + address) != std::string::npos) return entry;
    return {};
  }
  int Position(const std::string& entryText) const {
    const auto entries = Program->Combo(IdPcIpCombo);
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i] == entryText) return static_cast<int>(i);
    return -1;
  }
  std::string Title() const { return Program->Frame()->windowTitle().toStdString(); }
  ChildResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), VELLORA_CLI_PATH);
    return RunChild(Pc, args);
  }
  std::string Ip(const std::string& rest) const { return "ip -n " + Pc + " " + rest; }

  std::string folder;
};

// Checks again and again until the condition holds (a file another process writes); false
// when the bound passed first.
bool PollUntil(const std::function<bool()>& done, int boundMs) {
  QDeadlineTimer deadline(boundMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(5);
  }
  return true;
}

// The program's address watch has read everything the system told it: its netlink socket
// holds nothing more.
bool AddressWatchRead() {
  std::set<std::string> mine;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ignored;
    const std::string target = std::filesystem::read_symlink(fd.path(), ignored).string();
    if (target.starts_with("socket:[")) mine.insert(target.substr(8, target.size() - 9));
  }
  std::ifstream table("/proc/thread-self/net/netlink");
  std::string line;
  std::getline(table, line);  // the heading
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string sk, inode;
    unsigned protocol = 0, port = 0, groups = 0, queued = 0, sent = 0, dump = 0, locks = 0,
             drops = 0;
    fields >> sk >> protocol >> port >> std::hex >> groups >> std::dec >> queued >> sent >> dump >>
        locks >> drops >> inode;
    if (protocol == 0 && groups != 0 && mine.count(inode) != 0 && queued != 0) return false;
  }
  return true;
}

TEST_F(OneWireTest, EveryCommandOfTheWindowReachesOnlyTheChosenWire) {
  ASSERT_NO_FATAL_FAILURE(StartWires("200"));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  EXPECT_EQ(Program->Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 10.1.0.1 (p1)", "2: 10.1.0.1 (p2)"}));
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());
  Program->Pick(IdPcIpCombo, 1);
  EXPECT_EQ(Title(), std::string(kBanner) + " (IP 2: 10.1.0.1 (p2) )");
  EXPECT_EQ(Program->Text(IdPcIpCombo), "2: 10.1.0.1 (p2)");
  ASSERT_FALSE(Received(*SimB, "SearchRequest").empty());
  ASSERT_TRUE(Until([&] {
    return Program->Combo(IdGatewayCombo) == std::vector<std::string>{"02 00 00 00 02 01"};
  }));
  Program->Click(IdExpandButton);

  // The terminal: the same module address on both wires, the connection on p2's.
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Until([&] { return Program->Contains("Vellora: Socket connected"); }));
  EXPECT_FALSE(SimB->TakeLine("tcp-open", {"from=10.1.0.1:"}, 2000).empty());
  ASSERT_TRUE(Until([&] {
    for (const std::string& line : Program->DebugLines())
      if (line.find("(02 00 00 00 02 01) status line") != std::string::npos) return true;
    return false;
  }));
  Program->Click(IdConnectButton);

  Program->Replace(IdNameEdit, "wire-2");
  Program->Click(IdSetButton);
  EXPECT_FALSE(Received(*SimB, "SetConfigRequest").empty());
  Program->Replace(IdMacEdit6, "99");
  Program->Click(IdSetMacButton);
  EXPECT_FALSE(Received(*SimB, "SetMacRequest").empty());
  const char* serial[4] = {"00", "00", "00", "07"};
  for (int i = 0; i < 4; ++i)
    Program->Replace(kSerialEditIds[i], serial[i]);
  Program->Click(IdSetIncrButton);
  EXPECT_FALSE(Received(*SimB, "SetMacRequest").empty());
  Program->Type(IdEepromAddressEdit, "1F0");
  Program->Type(IdEepromValueEdit, "A5");
  Program->Click(IdSetEepromButton);
  EXPECT_FALSE(Received(*SimB, "SetEepromRequest").empty());
  Program->Click(IdRebootButton);
  EXPECT_FALSE(Received(*SimB, "RebootRequest").empty());

  EXPECT_TRUE(HearsNothing(*SimA));
  EXPECT_TRUE(SimA->TakeLine("tcp-open", {}, 0).empty());
}

TEST_F(OneWireTest, VelloraCliWorksOnTheInterfaceNamedAndRefusesAnAmbiguousAddress) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  const std::string counter = (std::filesystem::path(folder) / "serial").string();
  std::ofstream(counter) << "100\n";
  for (const char* wire : {"p1", "p2"}) {
    const ChildResult run = Cli({"assign", "--only", "--interface", wire, "--prefix", "0A:0B:0C",
                                 "--serial-file", counter, "--wait", "0.3"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    SimProcess& heard = std::string(wire) == "p1" ? *SimA : *SimB;
    SimProcess& other = std::string(wire) == "p1" ? *SimB : *SimA;
    EXPECT_FALSE(heard.TakeLine("rx", {"cmd=SearchRequest"}).empty()) << wire;
    EXPECT_FALSE(heard.TakeLine("rx", {"cmd=SetMacRequest"}).empty()) << wire;
    EXPECT_TRUE(HearsNothing(other)) << wire;
  }
  const ChildResult both =
      Cli({"reboot", "--only", "--address", "10.1.0.1", "--interface", "p2", "--wait", "0.3"});
  EXPECT_EQ(both.Status, 0) << both.Err;
  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest"}).empty());
  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=RebootRequest"}).empty());

  // The address alone names no wire: refused before anything is sent, by both programs.
  const std::string ambiguous =
      "10.1.0.1 stands on several interfaces (p1, p2); name the one meant with --interface";
  const ChildResult cli = Cli({"search", "--address", "10.1.0.1"});
  EXPECT_EQ(cli.Status, 2);
  EXPECT_NE(cli.Err.find(ambiguous), std::string::npos) << cli.Err;
  const ChildResult window =
      RunChild(Pc, {VELLORA_PATH, "--address", "10.1.0.1"}, {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(window.Status, 2);
  EXPECT_NE(window.Err.find(ambiguous), std::string::npos) << window.Err;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"search", "--interface="},
        std::vector<std::string>{"search", "--interface", "p1", "--interface", "p2"},
        std::vector<std::string>{"search", "--address", "10.1.0.1", "--address", "10.1.0.1"}}) {
    const ChildResult refused = Cli(args);
    EXPECT_EQ(refused.Status, 2) << args.back() << refused.Err;
  }
  EXPECT_TRUE(HearsNothing(*SimA));
  EXPECT_TRUE(HearsNothing(*SimB));
}

// A re-plug or a DHCP lease moves the chosen address to another interface while the program
// runs no event loop: the next request must not leave by the old wire, nor follow it.
TEST_F(OneWireTest, AnAddressThatMovedToAnotherInterfaceIsGoneForTheWindow) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  Restore restore{{Ip("addr del 10.1.0.9/24 dev p1"), Ip("addr del 10.1.0.9/24 dev p2")}};
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p1")));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  Program->Pick(IdPcIpCombo, Position(Entry("10.1.0.9")));
  EXPECT_FALSE(Received(*SimA, "SearchRequest").empty());
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  SimA->TakeLine("rx", {}, 0);

  ASSERT_TRUE(Shell(Ip("addr del 10.1.0.9/24 dev p1")));
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p2")));
  Program->Dialog().DispatchButton(IdRebootButton);  // before the watch is heard
  EXPECT_TRUE(Program->Contains("Vellora: The chosen PC address is no longer available"));
  EXPECT_EQ(Title(), kBanner);
  EXPECT_TRUE(Program->Combo(IdGatewayCombo).empty());
  EXPECT_TRUE(HearsNothing(*SimA));
  EXPECT_TRUE(HearsNothing(*SimB));
  // The address is listed on p2, not chosen: the operator picks it there, or not.
  EXPECT_NE(Entry("10.1.0.9"), "");
  EXPECT_EQ(Program->Text(IdPcIpCombo), "");
}

TEST_F(OneWireTest, TheProgramStoppedWhileTheAddressMovedSaysItIsGoneWhenContinued) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  Restore restore{{Ip("addr del 10.1.0.9/24 dev p1"), Ip("addr del 10.1.0.9/24 dev p2")}};
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p1")));
  const std::string record = (std::filesystem::path(folder) / "record.log").string();
  ChildProcess program(Pc, {VELLORA_PATH, "--address", "10.1.0.9", "--log", record},
                       {"QT_QPA_PLATFORM=offscreen"});
  ASSERT_FALSE(SimA->TakeLine("rx", {"cmd=SearchRequest", "from=10.1.0.9:"}, 10000).empty());

  program.Signal(SIGSTOP);
  ASSERT_TRUE(Shell(Ip("addr del 10.1.0.9/24 dev p1")));
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p2")));
  program.Signal(SIGCONT);
  const auto said = [&] {
    std::stringstream text;
    text << std::ifstream(record).rdbuf();
    return text.str().find("Vellora: The chosen PC address is no longer available") !=
           std::string::npos;
  };
  ASSERT_TRUE(PollUntil(said, 10000));
  program.Signal(SIGTERM);
  program.Finish(10000);
  std::stringstream text;
  text << std::ifstream(record).rdbuf();
  EXPECT_EQ(text.str().find("interface=p2"), std::string::npos) << text.str();
  EXPECT_TRUE(HearsNothing(*SimB));
}

// An interface removed and made again under its name (a re-plugged adapter) is another
// interface: said once, and no socket error at every later search.
TEST_F(OneWireTest, AnInterfaceMadeAgainIsSaidOnce) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  ASSERT_NO_FATAL_FAILURE(StartOn(0));
  ASSERT_TRUE(Shell(Ip("link del p1")));  // takes g1 with it
  ASSERT_TRUE(Lab->Link(Pc, "p1", GwA, "g1"));
  ASSERT_TRUE(Lab->Address(Pc, "p1", "10.1.0.1/24"));
  AddressWire(GwA, "g1");
  ASSERT_TRUE(Until([&] {
    return Program->Contains(
        "Vellora: The interface p1 was removed and made again; choose its address under PC-IP: "
        "to work on it");
  }));
  for (int i = 0; i < 3; ++i)
    Program->Click(IdSearchButton);
  const auto lines = Program->DebugLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "Vellora: The chosen PC address is no longer available"),
            1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Vellora: No PC address chosen, nothing sent"),
            3);
  for (const std::string& line : lines)
    EXPECT_EQ(line.find("non-socket"), std::string::npos) << line;
}

TEST_F(OneWireTest, TheOpenListKeepsItsRowsAndAClickMeansTheRowShown) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  ASSERT_NO_FATAL_FAILURE(StartOn(0));
  Restore restore{{Ip("addr del 10.1.0.7/24 dev p1")}};
  Program->OpenList(IdPcIpCombo);
  const std::vector<std::string> shown = {"1: 10.1.0.1 (p1)", "2: 10.1.0.1 (p2)"};
  ASSERT_EQ(Program->OpenListRows(IdPcIpCombo), shown);
  // An address comes on p1 while the list is open; it would stand before p2's entry.
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.7/24 dev p1")));
  ASSERT_TRUE(Until(AddressWatchRead));
  EXPECT_EQ(Program->OpenListRows(IdPcIpCombo), shown);
  Program->ChooseInOpenList(IdPcIpCombo, 1);  // the row that shows p2's entry
  EXPECT_FALSE(Received(*SimB, "SearchRequest").empty());
  ASSERT_TRUE(Until([&] { return Program->Combo(IdPcIpCombo).size() == 3; }));
  EXPECT_EQ(Program->Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 10.1.0.1 (p1)", "2: 10.1.0.7", "3: 10.1.0.1 (p2)"}));
  EXPECT_EQ(Program->Text(IdPcIpCombo), "3: 10.1.0.1 (p2)");
  EXPECT_EQ(Title(), std::string(kBanner) + " (IP 3: 10.1.0.1 (p2) )");
}

// A module that loses power or its cable sends nothing more: the window and `listen` give the
// connection up within 30 s instead of waiting for ever.
TEST_F(OneWireTest, AModuleThatDiesSilentlyEndsTheConnectionOfTheWindowAndOfListen) {
  ASSERT_NO_FATAL_FAILURE(StartWires("200"));
  ASSERT_NO_FATAL_FAILURE(StartOn(1));
  Program->Click(IdExpandButton);
  Program->Click(IdConnectButton);
  ASSERT_TRUE(Until([&] { return Program->Contains("Vellora: Socket connected"); }));
  ChildProcess listen(Pc, {VELLORA_CLI_PATH, "listen", "--ip", "10.1.0.101", "--interface", "p2"});
  ASSERT_TRUE(listen.WaitForOutput("(02 00 00 00 02 01) status line", 10000)) << listen.Err();

  const std::string nft = "ip netns exec " + GwB + " nft ";
  Restore restore{{nft + "delete table inet vellora_dead"}};
  ASSERT_TRUE(Shell(nft + "add table inet vellora_dead"));
  for (const char* hook : {"input", "output"})
    ASSERT_TRUE(Shell(nft + "'add chain inet vellora_dead " + hook + " { type filter hook " + hook +
                      " priority 0; policy drop; }'"));

  ASSERT_TRUE(Until([&] { return Program->Text(IdStateText) == "State: Idle"; }, 40000));
  const auto lines = Program->DebugLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Vellora: TCP/IP Error closing socket (Winsock:10060)");
  EXPECT_EQ(lines.back(), "Vellora: Socket disconnected");
  const ChildResult ended = listen.Finish(40000);
  EXPECT_EQ(ended.Status, 1);
  EXPECT_NE(ended.Err.find("the module stopped answering"), std::string::npos) << ended.Err;
}

// Where the system does not let a user tie a socket to an interface (kernels before 5.7), the
// socket keeps to its interface by its own filter: a reply that comes in on the other wire is
// not taken, though it is addressed to the socket's port.
TEST_F(OneWireTest, WithoutTheRightToTieASocketAReplyFromTheOtherWireIsNotTaken) {
  if (!CanDenyInterfaceBinding()) GTEST_SKIP() << "needs seccomp on x86-64";
  ASSERT_NO_FATAL_FAILURE(StartWires());
  SimB.reset();  // wire 2 holds a stranger instead
  ChildProcess search(Pc, {VELLORA_CLI_PATH, "search", "--interface", "p1", "--wait", "2"}, {},
                      false, ChildLimit::NoInterfaceBinding);
  const std::string heard = SimA->TakeLine("rx", {"cmd=SearchRequest"}, 5000);
  ASSERT_FALSE(heard.empty());
  const std::string from = Field(heard, "from");
  const auto port = static_cast<std::uint16_t>(std::stoi(from.substr(from.find(':') + 1)));

  GatewayRecord stranger = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {0x02, 0, 0, 0, 0x02, 0x99};
  std::copy(mac, mac + 6, stranger.Mac);
  const auto reply = BuildGatewayInfoReply(stranger);
  {
    InNamespace wire2(GwB);
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, "g2", 2);
    sockaddr_in local{AF_INET, htons(8003), {htonl(0x0A010064u)}, {}};  // 10.1.0.100:8003
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    sockaddr_in to{AF_INET, htons(port), {htonl(0xFFFFFFFFu)}, {}};
    ASSERT_EQ(
        sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(reply.size()));
    close(fd);
  }
  const ChildResult listed = search.Finish(10000);
  EXPECT_EQ(listed.Status, 0) << listed.Err;
  EXPECT_NE(listed.Out.find("mac=02:00:00:00:01:01 "), std::string::npos) << listed.Out;
  EXPECT_EQ(listed.Out.find("02:00:00:00:02:99"), std::string::npos) << listed.Out;
}

TEST_F(OneWireTest, ListenEndsWithStatus1WhenItsAddressLeavesTheInterface) {
  ASSERT_NO_FATAL_FAILURE(StartWires("200"));
  Restore restore{{Ip("addr del 10.1.0.9/24 dev p2")}};
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p2")));
  ChildProcess listen(Pc,
                      {VELLORA_CLI_PATH, "listen", "--ip", "10.1.0.101", "--address", "10.1.0.9"});
  ASSERT_TRUE(listen.WaitForOutput("(02 00 00 00 02 01) status line", 10000)) << listen.Err();
  ASSERT_TRUE(Shell(Ip("addr del 10.1.0.9/24 dev p2")));
  const ChildResult ended = listen.Finish(10000);
  EXPECT_EQ(ended.Status, 1);
  EXPECT_NE(ended.Err.find("10.1.0.9 is no longer an address of p2"), std::string::npos)
      << ended.Err;
}

}  // namespace
