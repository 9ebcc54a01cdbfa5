// Discovery and the gateway commands, end to end: the program in its namespace, the simulated
// modules in theirs, every request checked byte for byte where it arrives.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

using ProgramGatewayTest = ProgramLab;

const std::vector<std::string> kThreeModules = {"02 00 00 00 00 01", "02 00 00 00 00 02",
                                                "02 00 00 00 00 03"};

// Module 1 of simulator A as it starts.
GatewayRecord ModuleOne() {
  GatewayRecord r = kEmptyGatewayRecord;
  r.Mac[0] = 0x02;
  r.Mac[5] = 0x01;
  r.ActualIp = r.Ip = Ipv4(10, 88, 1, 50);  // 10.88.1.50
  r.Netmask = Ipv4::FromNumber(0xFFFFFF00);
  r.GatewayIp = r.DnsIp = Ipv4(10, 88, 1, 1);
  r.Port = 80;
  std::strcpy(r.Name, "sim-gw-1");
  return r;
}

TEST_F(ProgramGatewayTest, FindsTheModulesOnTheFirstInterfaceAtStart) {
  StartSimulatorA();
  StartSimulatorB();
  StartProgram();
  EXPECT_EQ(Program->Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 10.88.1.1", "2: 10.88.1.2", "3: 10.88.2.1"}));
  const std::string search = Received(*SimA, "SearchRequest");
  EXPECT_EQ(Field(search, "hex"), Hex(BuildSearchRequest()));
  EXPECT_EQ(Field(search, "from").rfind("10.88.1.1:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo), kThreeModules);
  EXPECT_EQ(Program->Text(IdGatewayCount), "3");
  EXPECT_EQ(Program->Text(IdNameEdit), "sim-gw-1");
  EXPECT_EQ(Program->Text(11231), "50");
  // The other interface was not searched.
  EXPECT_TRUE(SimB->TakeLine("rx", {}, 300).empty());
}

TEST_F(ProgramGatewayTest, SearchesAndHearsOnlyTheChosenInterface) {
  StartSimulatorA({"--reply", "broadcast"});
  StartSimulatorB({"--reply", "broadcast"});
  StartProgram();
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());
  Program->Pick(IdPcIpCombo, 2);
  const std::string search = Received(*SimB, "SearchRequest");
  ASSERT_FALSE(search.empty());
  EXPECT_EQ(Field(search, "from").rfind("10.88.2.1:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo), std::vector<std::string>{"02 00 00 00 20 01"});

  // A reply broadcast on the other interface to the program's port is not taken; the same
  // reply on the chosen interface is.
  const std::string from = Field(search, "from");
  const auto port = static_cast<std::uint16_t>(std::stoi(from.substr(from.find(':') + 1)));
  GatewayRecord stranger = ModuleOne();
  stranger.Mac[5] = 0x77;
  auto reply = BuildGatewayInfoReply(stranger);
  auto broadcastFrom = [&](const std::string& ns, const char* device, const char* address,
                           std::uint32_t destination = INADDR_BROADCAST) {
    InNamespace there(ns);
    ASSERT_TRUE(there.Entered);
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, device,
               static_cast<socklen_t>(std::strlen(device)));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(8003);
    inet_pton(AF_INET, address, &local.sin_addr);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(destination);
    ASSERT_EQ(
        sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(reply.size()));
    close(fd);
  };
  // The simulators leave port 8003 to the stand-in replies below.
  SimA->Stop(SIGTERM);
  SimB->Stop(SIGTERM);
  broadcastFrom(GwA, "ga", "10.88.1.100");
  EXPECT_FALSE(Until([&] { return Program->Combo(IdGatewayCombo).size() > 1; }, 500));
  broadcastFrom(GwB, "gb", "10.88.2.100");
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 2; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo)[1], "02 00 00 00 00 77");
  // The subnet's own broadcast address reaches it too.
  stranger.Mac[5] = 0x78;
  reply = BuildGatewayInfoReply(stranger);
  broadcastFrom(GwB, "gb", "10.88.2.100", 0x0A5802FF);  // 10.88.2.255
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
}

TEST_F(ProgramGatewayTest, ASecondaryAddressIsTheSourceWhenChosen) {
  StartSimulatorA();
  StartProgram();
  ASSERT_FALSE(Received(*SimA, "SearchRequest").empty());
  Program->Pick(IdPcIpCombo, 1);
  EXPECT_EQ(Program->Frame()->windowTitle().toStdString(),
            "Quenlan V1.11 18.07.2008 (IP 2: 10.88.1.2 )");
  const std::string search = Received(*SimA, "SearchRequest");
  EXPECT_EQ(Field(search, "from").rfind("10.88.1.2:", 0), 0u);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
}

TEST_F(ProgramGatewayTest, SetArrivesByteForByteAndShowsAtTheNextSearch) {
  ASSERT_NO_FATAL_FAILURE(StartWithModules());
  Program->Replace(11219, "60");
  Program->Replace(IdNameEdit, "e2e-name");
  Program->Replace(IdPortEdit, "8080");
  Program->Click(IdUseDhcpCheck);
  Program->Click(IdSetButton);

  GatewayRecord expected = ModuleOne();
  expected.Ip = Ipv4(10, 88, 1, 60);
  expected.Port = 8080;
  expected.UseDhcp = 1;
  std::strcpy(expected.Name, "e2e-name");
  const std::string set = Received(*SimA, "SetConfigRequest");
  EXPECT_EQ(Field(set, "hex"), Hex(BuildSetConfigRequest(expected)));
  EXPECT_EQ(Field(set, "outcome"), "applied");

  Program->Click(IdSearchButton);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
  EXPECT_EQ(Program->Text(IdNameEdit), "e2e-name");
  EXPECT_EQ(Program->Text(11219), "60");
  EXPECT_EQ(Program->Text(IdPortEdit), "8080");
  EXPECT_TRUE(Program->Windows().IsDlgButtonChecked(IdUseDhcpCheck));
}

TEST_F(ProgramGatewayTest, RebootSilencesTheModuleUntilItIsBack) {
  ASSERT_NO_FATAL_FAILURE(StartWithModules({"--reboot-seconds", "0.5"}));
  Program->Click(IdRebootButton);
  EXPECT_EQ(Field(Received(*SimA, "RebootRequest"), "hex"), Hex(BuildRebootRequest(ModuleOne())));
  Program->Click(IdSearchButton);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 2; }));
  EXPECT_FALSE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }, 200));
  ASSERT_FALSE(SimA->TakeLine("awake", {}, 3000).empty());
  Program->Click(IdSearchButton);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
}

TEST_F(ProgramGatewayTest, ProductionCommandsArriveByteForByteAndTakeEffect) {
  ASSERT_NO_FATAL_FAILURE(StartWithModules());
  Program->Click(IdExpandButton);

  // Set MAC: module 1 becomes 02 00 00 00 00 99.
  Program->Replace(IdMacEdit6, "99");
  Program->Click(IdSetMacButton);
  const std::uint8_t newMac[6] = {0x02, 0, 0, 0, 0, 0x99};
  EXPECT_EQ(Field(Received(*SimA, "SetMacRequest"), "hex"),
            Hex(BuildSetMacRequest(ModuleOne(), newMac)));

  // EEPROM: address 1F0, value A5, still addressed by the MAC the list holds.
  Program->Type(IdEepromAddressEdit, "1F0");
  Program->Type(IdEepromValueEdit, "a5");
  Program->Click(IdSetEepromButton);
  const std::string eeprom = Received(*SimA, "SetEepromRequest");
  EXPECT_EQ(Field(eeprom, "hex"), Hex(BuildSetEepromRequest(ModuleOne(), 0x1F0, 0xA5)));
  EXPECT_EQ(Field(eeprom, "outcome"), "unknown-mac");  // the module answers to its new MAC now

  // The next search lists it under the new MAC; Set && Incr. gives it serial 100.
  Program->Click(IdSearchButton);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
  const auto listed = Program->Combo(IdGatewayCombo);
  const auto at = std::find(listed.begin(), listed.end(), "02 00 00 00 00 99");
  ASSERT_NE(at, listed.end());
  Program->Pick(IdGatewayCombo, static_cast<int>(at - listed.begin()));
  for (int id : kSerialEditIds)
    Program->Replace(id, "00");
  Program->Replace(11246, "01");
  Program->Click(IdSetIncrButton);
  GatewayRecord renamed = ModuleOne();
  renamed.Mac[5] = 0x99;
  const std::uint8_t serialMac[6] = {0x02, 0, 0, 0, 0, 100};
  EXPECT_EQ(Field(Received(*SimA, "SetMacRequest"), "hex"),
            Hex(BuildSetMacRequest(renamed, serialMac)));
  EXPECT_EQ(Program->Text(11246), "01");
  EXPECT_EQ(Program->Text(11245), "01");

  Program->Click(IdEepromAddressEdit);
  Program->Click(IdSearchButton);
  ASSERT_TRUE(Until([&] {
    const auto now = Program->Combo(IdGatewayCombo);
    return std::find(now.begin(), now.end(), "02 00 00 00 00 64") != now.end();
  }));
}

TEST_F(ProgramGatewayTest, AHostileSimulatorLeavesTheProgramWorking) {
  StartSimulatorA({"--hostile", "malformed,many-macs", "--hostile-macs", "25"});
  StartSimulatorB();
  StartProgram();
  ASSERT_TRUE(Until([&] { return Program->Text(IdGatewayCount) == "20"; }));
  EXPECT_EQ(Program->Combo(IdGatewayCombo).size(), 20u);
  // The 300-byte reply was too long to read.
  EXPECT_TRUE(Until([&] { return Program->Contains(Sockets->GetReasonString(10040)); }));

  Program->Click(IdSearchButton);
  ASSERT_TRUE(Until([&] { return Program->Text(IdGatewayCount) == "20"; }));
  Program->Pick(IdPcIpCombo, 2);
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 1; }));
  EXPECT_EQ(Program->Text(IdNameEdit), "sim-gw-1");
}

}  // namespace
