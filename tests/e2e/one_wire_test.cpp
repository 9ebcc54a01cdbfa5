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
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

const std::string kBanner = "Quenlan V1.11 18.07.2008";
const char* const kGone = "Vellora: The chosen PC address is no longer available";
using Texts = std::vector<std::string>;

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

  // The module of each wire, status lines on TCP port 80 every `intervalMs`.
  void StartWires(const std::string& intervalMs = "1000") {
    for (int wire : {1, 2}) {
      const std::string n = std::to_string(wire);
      auto sim = std::make_unique<SimProcess>(
          wire == 1 ? GwA : GwB, Texts{"--interface", "g" + n, "--ip-base", "10.1.0.101",
                                       "--mac-base", "02:00:00:00:0" + n + ":01",
                                       "--reboot-seconds", "0.2", "--interval-ms", intervalMs});
      ASSERT_TRUE(sim->Ready()) << "simulator of wire " << wire << " did not start";
      (wire == 1 ? SimA : SimB) = std::move(sim);
    }
  }
  SimProcess& Wire(int wire) { return wire == 1 ? *SimA : *SimB; }
  // The program listing the module of the wire the entry stands for.
  void StartOn(int entry) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    if (entry != 0) Program->Pick(IdPcIpCombo, entry);
    ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  }
  // Nothing reached the module of the wire but what was taken already.
  bool HearsNothing(int wire) {
    return HeardBefore(Wire(wire), "p" + std::to_string(wire), "10.1.0.100").empty();
  }
  int Position(const std::string& address) const {
    const auto entries = Program->Combo(IdPcIpCombo);
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i].find(": " + address) != std::string::npos) return static_cast<int>(i);
    return -1;
  }
  std::string Title() const { return Program->Frame()->windowTitle().toStdString(); }
  std::string Ip(const std::string& rest) const { return "ip -n " + Pc + " " + rest; }
};

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
  EXPECT_EQ(Program->Combo(IdPcIpCombo), (Texts{"1: 10.1.0.1 (p1)", "2: 10.1.0.1 (p2)"}));
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());
  Program->Pick(IdPcIpCombo, 1);
  EXPECT_EQ(Title(), kBanner + " (IP 2: 10.1.0.1 (p2) )");
  EXPECT_EQ(Program->Text(IdPcIpCombo), "2: 10.1.0.1 (p2)");
  ASSERT_FALSE(Received(*SimB, "SearchRequest").empty());
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo) == Texts{"02 00 00 00 02 01"}; }));
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
  EXPECT_TRUE(HearsNothing(1));
}

TEST_F(OneWireTest, VelloraCliWorksOnTheInterfaceNamedRefusesAnAmbiguousAddressAndEndsListen) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  const std::string counter = Folder / "serial";
  WriteFileBytes(counter, "100\n");
  for (int wire : {1, 2}) {
    const std::string device = "p" + std::to_string(wire);
    EXPECT_TRUE(Ended(Cli({"assign", "--only", "--interface", device, "--prefix", "0A:0B:0C",
                           "--serial-file", counter}),
                      0));
    EXPECT_FALSE(Wire(wire).TakeLine("rx", {"cmd=SearchRequest"}).empty()) << device;
    EXPECT_FALSE(Wire(wire).TakeLine("rx", {"cmd=SetMacRequest"}).empty()) << device;
    EXPECT_TRUE(HearsNothing(3 - wire)) << device;
  }
  EXPECT_TRUE(Ended(Cli({"reboot", "--only", "--address", "10.1.0.1", "--interface", "p2"}), 0));
  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest"}).empty());
  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=RebootRequest"}).empty());

  // The address alone names no wire: refused before anything is sent, by both programs.
  const std::string ambiguous =
      "10.1.0.1 stands on several interfaces (p1, p2); name the one meant with --interface";
  EXPECT_TRUE(Ended(Cli({"search", "--address", "10.1.0.1"}), 2, ambiguous));
  EXPECT_TRUE(
      Ended(RunChild(Pc, {VELLORA_PATH, "--address", "10.1.0.1"}, {"QT_QPA_PLATFORM=offscreen"}), 2,
            ambiguous));
  for (const Texts& args :
       {Texts{"search", "--interface="}, Texts{"search", "--interface", "p1", "--interface", "p2"},
        Texts{"search", "--address", "10.1.0.1", "--address", "10.1.0.1"}})
    EXPECT_TRUE(Ended(Cli(args), 2)) << args.back();
  EXPECT_TRUE(HearsNothing(1));
  EXPECT_TRUE(HearsNothing(2));

  // listen ends with status 1 when its address leaves the interface (once the module is back).
  ASSERT_FALSE(SimB->TakeLine("awake", {}, 5000).empty());
  Restore restore{{Ip("addr del 10.1.0.9/24 dev p2")}};
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p2")));
  ChildProcess listen(Pc,
                      {VELLORA_CLI_PATH, "listen", "--ip", "10.1.0.101", "--address", "10.1.0.9"});
  ASSERT_TRUE(listen.WaitForOutput(") status line", 10000)) << listen.Err();
  ASSERT_TRUE(Shell(Ip("addr del 10.1.0.9/24 dev p2")));
  EXPECT_TRUE(Ended(listen.Finish(10000), 1, "10.1.0.9 is no longer an address of p2"));
}

// A re-plug or a DHCP lease moves the chosen address to another interface while the program
// runs no event loop (busy, or stopped): whether the system's word or a request comes first,
// nothing leaves by either wire, and the choice does not follow the address.
TEST_F(OneWireTest, AnAddressThatMovedToAnotherInterfaceIsGoneForTheWindow) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  Restore restore{{Ip("addr del 10.1.0.9/24 dev p1"), Ip("addr del 10.1.0.9/24 dev p2")}};
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p1")));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());
  for (int wire : {1, 2}) {
    SCOPED_TRACE(wire == 1 ? "the system's word first" : "a request first");
    Program->Pick(IdPcIpCombo, Position("10.1.0.9"));
    EXPECT_FALSE(Received(Wire(wire), "SearchRequest").empty());
    ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
    Program->Click(IdClearListButton);
    ASSERT_TRUE(Shell(Ip("addr del 10.1.0.9/24 dev p" + std::to_string(wire))));
    ASSERT_TRUE(Shell(Ip("addr add 10.1.0.9/24 dev p" + std::to_string(3 - wire))));
    if (wire == 1)
      ASSERT_TRUE(Until([&] { return Program->Contains(kGone); }));
    else
      Program->Dialog().DispatchButton(IdRebootButton);  // before the watch is heard
    EXPECT_EQ(Program->DebugLines(), Texts{kGone});
    EXPECT_EQ(Title(), kBanner);
    EXPECT_TRUE(Program->Combo(IdGatewayCombo).empty());
    EXPECT_TRUE(HearsNothing(1));
    EXPECT_TRUE(HearsNothing(2));
    // The address is listed on its new interface, not chosen: the operator picks it, or not.
    EXPECT_NE(Position("10.1.0.9"), -1);
    EXPECT_EQ(Program->Text(IdPcIpCombo), "");
  }
}

TEST_F(OneWireTest, TheOpenListKeepsItsRowsAndAClickMeansTheRowShown) {
  ASSERT_NO_FATAL_FAILURE(StartWires());
  ASSERT_NO_FATAL_FAILURE(StartOn(0));
  Restore restore{{Ip("addr del 10.1.0.7/24 dev p1")}};
  Program->OpenList(IdPcIpCombo);
  const Texts shown = {"1: 10.1.0.1 (p1)", "2: 10.1.0.1 (p2)"};
  ASSERT_EQ(Program->OpenListRows(IdPcIpCombo), shown);
  // An address comes on p1 while the list is open; it would stand before p2's entry.
  ASSERT_TRUE(Shell(Ip("addr add 10.1.0.7/24 dev p1")));
  ASSERT_TRUE(Until(AddressWatchRead));
  EXPECT_EQ(Program->OpenListRows(IdPcIpCombo), shown);
  Program->ChooseInOpenList(IdPcIpCombo, 1);  // the row that shows p2's entry
  EXPECT_FALSE(Received(*SimB, "SearchRequest").empty());
  ASSERT_TRUE(Until([&] { return Program->Combo(IdPcIpCombo).size() == 3; }));
  EXPECT_EQ(Program->Combo(IdPcIpCombo),
            (Texts{"1: 10.1.0.1 (p1)", "2: 10.1.0.7", "3: 10.1.0.1 (p2)"}));
  EXPECT_EQ(Program->Text(IdPcIpCombo), "3: 10.1.0.1 (p2)");
  EXPECT_EQ(Title(), kBanner + " (IP 3: 10.1.0.1 (p2) )");
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
  EXPECT_TRUE(Ended(listen.Finish(40000), 1, "the module stopped answering"));
}

// Where the system does not let a user tie a socket to an interface (kernels before 5.7), the
// socket keeps to its interface by its own filter. The test plays the modules: of two replies
// for the label's MAC, the one that comes in first, on the other wire, is not taken.
TEST_F(OneWireTest, WithoutTheRightToTieASocketAReplyFromTheOtherWireIsNotTaken) {
  if (!CanDenyInterfaceBinding()) GTEST_SKIP() << "needs seccomp on x86-64";
  int wire1 = -1;
  {
    InNamespace there(GwA);
    wire1 = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    setsockopt(wire1, SOL_SOCKET, SO_BINDTODEVICE, "g1", 2);
    sockaddr_in any{AF_INET, htons(kGatewayPort), {}, {}};
    ASSERT_EQ(bind(wire1, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
  }
  ChildProcess verify(
      Pc, {VELLORA_CLI_PATH, "verify", "020000000299", "--interface", "p1", "--wait", "10"}, {},
      false, ChildLimit::NoInterfaceBinding);
  pollfd waiting{wire1, POLLIN, 0};
  ASSERT_EQ(poll(&waiting, 1, 10000), 1);
  std::uint8_t search[64];
  sockaddr_in from{};
  socklen_t length = sizeof from;
  const ssize_t got =
      recvfrom(wire1, search, sizeof search, 0, reinterpret_cast<sockaddr*>(&from), &length);
  close(wire1);
  const auto request = BuildSearchRequest();
  EXPECT_EQ(std::vector<std::uint8_t>(search, search + std::max<ssize_t>(got, 0)),
            std::vector<std::uint8_t>(request.begin(), request.end()));

  GatewayRecord module = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {0x02, 0, 0, 0, 0x02, 0x99};
  std::copy(mac, mac + 6, module.Mac);
  std::strcpy(module.Name, "other-wire");
  SendReply(GwB, "g2", "10.1.0.100", ntohs(from.sin_port), module);
  std::strcpy(module.Name, "own-wire");
  SendReply(GwA, "g1", "10.1.0.100", ntohs(from.sin_port), module);
  const ChildResult found = verify.Finish(20000);
  EXPECT_TRUE(Ended(found, 0));
  EXPECT_TRUE(Holds(found.Out, " name=\"own-wire\" "));
}

}  // namespace
