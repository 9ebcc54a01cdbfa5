// PC address choice, the UDP endpoint, sending and reading datagrams.
#include "udp/udp_endpoint.h"
#include "tests/support/vellora_fixture.h"
#include "udp/start_choice.h"

namespace {

using UdpEndpointTest = VelloraTest;
const std::string kGone = "Vellora: The chosen PC address is no longer available";

TEST_F(UdpEndpointTest, EveryChoiceOfPcAddressOpensFreshSocketsAndSearchesAgain) {
  sockets.Host.Entries = Addresses(10, 0, 1, 9);
  sockets.Host.Entries.push_back(OnInterface(10, 0, 0, 7, 3, "wlan0"));
  Start();
  Reply(RecordWithMac(1));
  for (int again = 0; again < 2; ++again) {  // the same address again renews everything too
    auto* before = &Udp();
    ws.PickComboEntry(IdPcIpCombo, 9);
    EXPECT_TRUE(PcChoice().ends_with(", [10: 10.0.0.7] | (IP 10: 10.0.0.7 )")) << PcChoice();
    EXPECT_TRUE(&Udp() != before && before->Released);
    EXPECT_EQ(Udp().Own.GetAddress(), Ipv4(10, 0, 0, 7));
    EXPECT_TRUE(Combo(IdGatewayCombo).empty() && Text(IdGatewayCount) == "0");
    ASSERT_EQ(Udp().Sent.size(), 1u);
    EXPECT_EQ(Udp().Sent[0].Bytes, AsVector(BuildSearchRequest()));
    EXPECT_EQ(Udp().Sent[0].Peer, TINetSocketAddress(8003, Ipv4(255, 255, 255, 255)));
  }
  for (int i = 0; i < 1000; ++i)
    ws.PickComboEntry(IdPcIpCombo, i % 2);
  EXPECT_EQ(sockets.OpenSocketObjects(), 2);  // the replaced ones are released: one UDP, one TCP
}

TEST_F(UdpEndpointTest, SocketErrorsCloseTheEndpointUntilTheNextChoiceButWouldBlockIsSilent) {
  Start();
  for (bool create : {true, false}) {
    ws.Click(IdClearListButton);
    sockets.OnNewSocket = [create](MemorySocketLayer::SocketState& s) {
      if (!s.IsStream) (create ? s.CreateError : s.BindError) = wsa::EADDRNOTAVAIL_;
    };
    ws.PickComboEntry(IdPcIpCombo, 1);
    EXPECT_FALSE(Udp().Open);
    // The search then fails on the closed socket and says why.
    EXPECT_EQ(DebugLines(), (Texts{create ? "Vellora: UDP Error on CreateSocket()"
                                          : "Vellora: UDP Error on BindSocket()",
                                   sockets.GetReasonString(wsa::ENOTSOCK_)}));
    EXPECT_TRUE(Udp().Sent.empty());
  }
  sockets.OnNewSocket = nullptr;
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_TRUE(Udp().Open && Udp().Sent.size() == 1u);
  Reply(RecordWithMac(1));
  ws.Click(IdClearListButton);
  Udp().WriteErrors = {wsa::EWOULDBLOCK_, wsa::ENETUNREACH_};
  ws.Click(IdRebootButton);
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_TRUE(Udp().Open);
  ws.Click(IdRebootButton);
  EXPECT_EQ(DebugLines(), Texts{sockets.GetReasonString(wsa::ENETUNREACH_)});
  EXPECT_FALSE(Udp().Open);
  ws.Click(IdSearchButton);  // fails again, and says so
  EXPECT_EQ(LastLine(), sockets.GetReasonString(wsa::ENOTSOCK_));
  EXPECT_EQ(Udp().Sent.size(), 1u);  // only the first search ever left
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_EQ(Udp().Sent.size(), 1u);
  EXPECT_TRUE(Udp().Open);
}

TEST_F(UdpEndpointTest, ReadFailuresAreLoggedAtMostOnceASecondAndLeaveTheEndpointOpen) {
  Start();
  // A read notification with nothing waiting is no error.
  sockets.TellReadable(Udp());
  EXPECT_TRUE(DebugLines().empty());
  // A datagram longer than the 255 bytes read fails as too long and is discarded; a flood of
  // them costs one line a second and one that counts the rest.
  const auto tooLong = [&] {
    sockets.Deliver(Udp(), std::vector<std::uint8_t>(300, 0), Ipv4(192, 168, 1, 5), 8003);
  };
  tooLong();
  EXPECT_EQ(DebugLines(), Texts{sockets.GetReasonString(wsa::EMSGSIZE_)});
  EXPECT_TRUE(Udp().Open);
  for (int i = 0; i < 1000; ++i)
    tooLong();
  EXPECT_EQ(DebugLines().size(), 1u);
  Tick();
  EXPECT_EQ(LastLine(), "Vellora: 1000 more datagram read errors in the last second were left out");
  // In the next second the first error is said again; a good datagram is taken as ever.
  tooLong();
  EXPECT_EQ(LastLine(), sockets.GetReasonString(wsa::EMSGSIZE_));
  Reply(RecordWithMac(1));
  EXPECT_EQ(Combo(IdGatewayCombo), Texts{"02 00 00 00 00 01"});
}

// The PC's addresses change while the program runs: an entry stands for the address it shows
// on its interface, never for its position; the list follows the system, but not while it is
// open under the pointer, and never chooses for the operator.
TEST_F(UdpEndpointTest, AChoiceBindsToTheEntryItShowsAndTheListFollowsTheSystem) {
  Start();
  EXPECT_EQ(ws.Get(IdPcIpCombo).ToolTips, (Texts{"eth0", "wlan0"}));
  // An address is added to the earlier interface unannounced: the list still shows the two.
  sockets.Host.Entries.insert(sockets.Host.Entries.begin(),
                              OnInterface(192, 168, 1, 50, 2, "eth0"));
  ws.PickComboEntry(IdPcIpCombo, 1);  // "2: 10.0.0.7"
  for (const auto* socket : {&Udp(), &Tcp()})
    EXPECT_EQ(std::pair(socket->Own.GetAddress(), socket->InterfaceIndex),
              std::pair(Ipv4(10, 0, 0, 7), 3u));
  EXPECT_EQ(PcChoice(), "1: 192.168.1.50, 2: 192.168.1.20, [3: 10.0.0.7] | (IP 3: 10.0.0.7 )");
  // Earlier addresses go unannounced: the entry that is still there binds to its own address.
  sockets.Host.Entries = {OnInterface(10, 0, 0, 7, 3, "wlan0")};
  ws.PickComboEntry(IdPcIpCombo, 2);
  EXPECT_EQ(Udp().Own.GetAddress(), Ipv4(10, 0, 0, 7));
  EXPECT_EQ(PcChoice(), "[1: 10.0.0.7] | (IP 1: 10.0.0.7 )");
  EXPECT_EQ(Udp().Sent.size(), 1u);

  // The system tells of a new address on another interface: the choice stays selected and in
  // use, renumbered.
  Reply(RecordWithMac(1));
  auto* socket = &Udp();
  sockets.ChangeAddresses({OnInterface(192, 168, 1, 20, 2, "eth0"),
                           OnInterface(172, 16, 0, 1, 4, "eth1"),
                           OnInterface(10, 0, 0, 7, 3, "wlan0")});
  EXPECT_EQ(PcChoice(), "1: 192.168.1.20, 2: 172.16.0.1, [3: 10.0.0.7] | (IP 3: 10.0.0.7 )");
  EXPECT_EQ(ws.Get(IdPcIpCombo).ToolTips, (Texts{"eth0", "eth1", "wlan0"}));
  EXPECT_EQ(&Udp(), socket);
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);
  // Opening the list reads the addresses again too.
  sockets.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0"),
                          OnInterface(10, 0, 0, 7, 3, "wlan0")};
  ws.OpenComboList(IdPcIpCombo);
  EXPECT_EQ(PcChoice(), "1: 192.168.1.20, [2: 10.0.0.7] | (IP 2: 10.0.0.7 )");
  EXPECT_EQ(&Udp(), socket);

  // An address comes first while the list is open: the list stays as it is, and the row the
  // operator clicks, "1: 192.168.1.20", is what is chosen; closed, it shows the addresses of now.
  sockets.ChangeAddresses({OnInterface(172, 16, 0, 1, 1, "eth9"),
                           OnInterface(192, 168, 1, 20, 2, "eth0"),
                           OnInterface(10, 0, 0, 7, 3, "wlan0")});
  EXPECT_EQ(Combo(IdPcIpCombo), (Texts{"1: 192.168.1.20", "2: 10.0.0.7"}));
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_EQ(Udp().Own.GetAddress(), Ipv4(192, 168, 1, 20));
  EXPECT_EQ(ws.Get(IdPcIpCombo).ChangedWhileOpen, 0);
  EXPECT_EQ(PcChoice(), "1: 172.16.0.1, [2: 192.168.1.20], 3: 10.0.0.7 | (IP 2: 192.168.1.20 )");

  // The chosen address goes: nothing is left bound to it, and another address coming does not
  // choose for the operator.
  Reply(RecordWithMac(1));
  sockets.ChangeAddresses({OnInterface(10, 0, 0, 7, 3, "wlan0")});
  ExpectNoChoice();
  sockets.ChangeAddresses(
      {OnInterface(192, 168, 1, 20, 2, "eth0"), OnInterface(10, 0, 0, 8, 3, "wlan0")});
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_EQ(PcChoice(), "1: 192.168.1.20, 2: 10.0.0.8 |");
  // The chosen entry goes while the list is open: the sockets close at once, the list waits.
  ws.PickComboEntry(IdPcIpCombo, 1);
  ws.OpenComboList(IdPcIpCombo);
  sockets.ChangeAddresses({OnInterface(192, 168, 1, 20, 2, "eth0")});
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_EQ(ws.Get(IdPcIpCombo).ChangedWhileOpen, 0);
  ws.CloseComboList(IdPcIpCombo);
  EXPECT_EQ(PcChoice(), "1: 192.168.1.20 |");
}

// Identical benches: one address on two interfaces, a module on each wire. A re-plug or a
// DHCP lease moves the address while the program is busy or stopped, or makes the interface
// anew: the choice never follows it elsewhere.
TEST_F(UdpEndpointTest, TheSameAddressOnTwoInterfacesIsTwoEntriesEachOnItsOwnWire) {
  sockets.Host.Entries = {OnInterface(10, 1, 0, 1, 4, "eth1"), OnInterface(10, 1, 0, 1, 5, "eth2")};
  Start();
  EXPECT_EQ(Udp().InterfaceIndex, 4u);
  ws.PickComboEntry(IdPcIpCombo, 1);
  EXPECT_EQ(PcChoice(), "1: 10.1.0.1 (eth1), [2: 10.1.0.1 (eth2)] | (IP 2: 10.1.0.1 (eth2) )");
  EXPECT_TRUE(Udp().InterfaceIndex == 5u && Tcp().InterfaceIndex == 5u);
  EXPECT_EQ(Tcp().InterfaceName, "eth2");
  // The list changing elsewhere keeps the choice on eth2.
  sockets.ChangeAddresses({OnInterface(10, 1, 0, 1, 4, "eth1"), OnInterface(10, 1, 0, 1, 5, "eth2"),
                           OnInterface(10, 9, 0, 1, 6, "eth3")});
  EXPECT_TRUE(PcChoice().starts_with("1: 10.1.0.1 (eth1), [2: 10.1.0.1 (eth2)], 3: 10.9.0.1 |"));
  // eth2 loses the address while eth1 keeps it: the choice does not follow it to eth1.
  Reply(RecordWithMac(1));
  sockets.ChangeAddresses({OnInterface(10, 1, 0, 1, 4, "eth1")});
  ExpectNoChoice();
  EXPECT_EQ(Combo(IdPcIpCombo), Texts{"1: 10.1.0.1"});

  // Moved to eth2 without a word from the watch, before a request: it does not leave.
  ws.PickComboEntry(IdPcIpCombo, 0);
  Reply(RecordWithMac(1));
  const std::size_t sent = SentCount();
  sockets.Host.Entries = {OnInterface(10, 1, 0, 1, 5, "eth2")};
  ws.Click(IdRebootButton);
  EXPECT_EQ(SentCount(), sent);
  ExpectNoChoice();
  EXPECT_EQ(Combo(IdPcIpCombo), Texts{"1: 10.1.0.1"});
  // The operator picks the entry on eth2: only then does the program work there.
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_EQ(Udp().InterfaceIndex, 5u);
  EXPECT_EQ(SentCount(), sent + 1);

  // eth2 removed and made again: same name, same address, another index. Said once, and later
  // searches say that no address is chosen rather than a socket error.
  ws.Click(IdClearListButton);
  sockets.ChangeAddresses({OnInterface(10, 1, 0, 1, 7, "eth2")});
  EXPECT_EQ(DebugLines(), (Texts{kGone,
                                 "Vellora: The interface eth2 was removed and made again; "
                                 "choose its address under PC-IP: to work on it"}));
  for (int i = 0; i < 3; ++i)
    ws.Click(IdSearchButton);
  EXPECT_EQ(std::count(DebugLines().begin(), DebugLines().end(),
                       "Vellora: No PC address chosen, nothing sent"),
            3);
  EXPECT_EQ(
      std::count(DebugLines().begin(), DebugLines().end(), sockets.GetReasonString(wsa::ENOTSOCK_)),
      0);
}

TEST_F(UdpEndpointTest, ChoosingAnAddressThatWentAwayBindsNothingAndEmptiesEverything) {
  Start();
  GatewayRecord shown = RecordWithMac(1);
  std::strcpy(shown.Name, "shown");
  Reply(shown);
  sockets.Host.Entries.pop_back();
  ws.PickComboEntry(IdPcIpCombo, 1);
  ExpectNoChoice();  // every field empties with the list, as a search empties them
  EXPECT_EQ(Combo(IdPcIpCombo), Texts{"1: 192.168.1.20"});
  EXPECT_EQ(Text(IdMacEdit1), "00");

  const std::size_t sent = SentCount();
  ws.Click(IdSearchButton);
  EXPECT_EQ(LastLine(), "Vellora: No PC address chosen, nothing sent");
  EXPECT_EQ(SentCount(), sent);
  // The terminal says the same and stays idle.
  ws.Click(IdExpandButton);
  ws.Click(IdClearListButton);
  ws.Click(IdConnectButton);
  EXPECT_EQ(DebugLines(), Texts{"Vellora: No PC address chosen, cannot connect"});
  EXPECT_EQ(TextsOf({IdStateText, IdConnectButton}), (Texts{"State: Idle", "Connect"}));
}

// The window and vellora-cli choose where to start with one rule.
TEST(StartChoiceTest, AnAmbiguousAddressNeedsItsInterfaceAndAMissingOneIsRefused) {
  THostEntry host;
  host.Entries = {OnInterface(10, 1, 0, 1, 4, "eth1"), OnInterface(10, 1, 0, 1, 5, "eth2"),
                  OnInterface(10, 2, 0, 1, 5, "eth2")};
  PcAddressList list;
  list.Update(host);
  const auto choose = [&](std::optional<Ipv4> address, const std::string& interface) {
    return ChooseStartEntry(list, StartRequest{address, interface});
  };
  EXPECT_EQ(choose(std::nullopt, "").Position, 0);
  EXPECT_EQ(choose(std::nullopt, "eth2").Position, 1);
  EXPECT_EQ(choose(Ipv4(10, 2, 0, 1), "").Position, 2);
  EXPECT_EQ(choose(Ipv4(10, 1, 0, 1), "eth2").Position, 1);
  const StartChoice ambiguous = choose(Ipv4(10, 1, 0, 1), "");
  EXPECT_EQ(ambiguous.Position, -1);
  EXPECT_EQ(ambiguous.Refusal,
            "10.1.0.1 stands on several interfaces (eth1, eth2); name the one meant with "
            "--interface; the PC's addresses: 10.1.0.1 (eth1), 10.1.0.1 (eth2), 10.2.0.1 (eth2)");
  EXPECT_EQ(choose(Ipv4(10, 2, 0, 1), "eth1")
                .Refusal.rfind("10.2.0.1 is not an IPv4 address of the interface eth1;", 0),
            0u);
  EXPECT_EQ(choose(std::nullopt, "eth7")
                .Refusal.rfind("the interface eth7 has no IPv4 address, or is down;", 0),
            0u);
  EXPECT_EQ(ChooseStartEntry(PcAddressList(), {}).Position, -1);
}

}  // namespace
