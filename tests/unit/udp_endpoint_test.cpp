// PC address choice, the UDP endpoint, sending and reading datagrams.
#include "udp/udp_endpoint.h"
#include "tests/support/vellora_fixture.h"
#include "udp/start_choice.h"

namespace {

using UdpEndpointTest = VelloraTest;

TEST_F(UdpEndpointTest, EveryChoiceOfPcAddressOpensAFreshSocketAndSearchesAgain) {
  sockets.Host.Entries = Addresses(10, 0, 1, 9);
  sockets.Host.Entries.push_back(OnInterface(10, 0, 0, 7, 3, "wlan0"));
  Start();
  Reply(RecordWithMac(1));
  auto* first = sockets.LastDatagramSocket();

  ws.PickComboEntry(IdPcIpCombo, 9);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 10: 10.0.0.7 )");
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 9);
  EXPECT_NE(&Udp(), first);
  EXPECT_TRUE(first->Released);  // the replaced socket object is gone
  EXPECT_EQ(Udp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 7));
  EXPECT_EQ(Tcp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 7));
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
  EXPECT_EQ(Text(IdGatewayCount), "0");
  ASSERT_EQ(Udp().Sent.size(), 1u);
  EXPECT_EQ(Udp().Sent[0].Bytes, AsVector(BuildSearchRequest()));
  EXPECT_EQ(Udp().Sent[0].Peer.GetNetworkAddress(), NetworkAddress(255, 255, 255, 255));
  EXPECT_EQ(TWinSockDll::ntohs(Udp().Sent[0].Peer.GetPort()), 8003);

  // Choosing the same address again still renews everything.
  auto* second = &Udp();
  ws.PickComboEntry(IdPcIpCombo, 9);
  EXPECT_NE(&Udp(), second);
  EXPECT_EQ(Udp().Sent.size(), 1u);
}

TEST_F(UdpEndpointTest, ReplacedSocketsAreReleased) {
  Start();
  for (int i = 0; i < 1000; ++i)
    ws.PickComboEntry(IdPcIpCombo, i % 2);
  EXPECT_EQ(sockets.OpenSocketObjects(), 2);  // one UDP, one TCP
}

TEST_F(UdpEndpointTest, CreateOrBindFailureClosesTheEndpointUntilTheNextChoice) {
  Start();
  for (bool create : {true, false}) {
    ws.Click(IdClearListButton);
    sockets.OnNewSocket = [create](MemorySocketLayer::SocketState& s) {
      if (s.IsStream) return;
      (create ? s.CreateError : s.BindError) = wsa::EADDRNOTAVAIL_;
    };
    ws.PickComboEntry(IdPcIpCombo, 1);
    EXPECT_FALSE(Udp().Open);
    ASSERT_GE(DebugLines().size(), 2u);
    EXPECT_EQ(DebugLines()[0], create ? "Vellora: UDP Error on CreateSocket()"
                                      : "Vellora: UDP Error on BindSocket()");
    // The search then fails on the closed socket and says why.
    EXPECT_EQ(DebugLines()[1], sockets.GetReasonString(wsa::ENOTSOCK_));
    EXPECT_TRUE(Udp().Sent.empty());
  }
  sockets.OnNewSocket = nullptr;
  ws.PickComboEntry(IdPcIpCombo, 1);
  EXPECT_TRUE(Udp().Open);
  EXPECT_EQ(Udp().Sent.size(), 1u);
}

TEST_F(UdpEndpointTest, WouldBlockIsSilentOtherSendErrorsCloseTheEndpointUntilTheNextChoice) {
  Start();
  Reply(RecordWithMac(1));
  ws.Click(IdClearListButton);
  Udp().WriteErrors = {wsa::EWOULDBLOCK_, wsa::ENETUNREACH_};
  ws.Click(IdRebootButton);
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_TRUE(Udp().Open);
  ws.Click(IdRebootButton);
  EXPECT_EQ(DebugLines(), std::vector<std::string>{sockets.GetReasonString(wsa::ENETUNREACH_)});
  EXPECT_FALSE(Udp().Open);
  ws.Click(IdSearchButton);  // fails again, and says so
  EXPECT_EQ(DebugLines().back(), sockets.GetReasonString(wsa::ENOTSOCK_));
  EXPECT_EQ(Udp().Sent.size(), 1u);  // only the first search ever left
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_EQ(Udp().Sent.size(), 1u);
  EXPECT_TRUE(Udp().Open);
}

TEST_F(UdpEndpointTest, ReadFailuresAreLoggedAtMostOnceASecondAndLeaveTheEndpointOpen) {
  Start();
  // A read notification with nothing waiting, as when only the terminal has data, is no error.
  sockets.Notify(Udp(), FD_READ);
  EXPECT_TRUE(DebugLines().empty());
  // A datagram longer than the 255 bytes read fails as too long and is discarded.
  sockets.Deliver(Udp(), std::vector<std::uint8_t>(300, 0), NetworkAddress(192, 168, 1, 5), 8003);
  EXPECT_EQ(DebugLines(), std::vector<std::string>{sockets.GetReasonString(wsa::EMSGSIZE_)});
  EXPECT_TRUE(Udp().Open);
  // A flood of them costs one line a second and one that counts the rest.
  for (int i = 0; i < 1000; ++i)
    sockets.Deliver(Udp(), std::vector<std::uint8_t>(300, 0), NetworkAddress(192, 168, 1, 5), 8003);
  EXPECT_EQ(DebugLines().size(), 1u);
  Tick();
  EXPECT_EQ(DebugLines().back(),
            "Vellora: 1000 more datagram read errors in the last second were left out");

  // A read notification with an error runs neither reader.
  Udp().Incoming.push_back({AsVector(BuildGatewayInfoReply(RecordWithMac(1))),
                            TINetSocketAddress(TWinSockDll::htons(8003), 0)});
  sockets.Notify(Udp(), FD_READ, 10050);
  EXPECT_EQ(DebugLines().back(), "Vellora: TCP/IP Error while reading (Winsock:10050)");
  Tick();
  sockets.Notify(Udp(), FD_READ, 9999);
  EXPECT_EQ(DebugLines().back(), "Vellora: TCP/IP Error while reading (Winsock: 9999)");
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
  sockets.Notify(Udp(), FD_READ);
  EXPECT_EQ(Combo(IdGatewayCombo), std::vector<std::string>{"02 00 00 00 00 01"});
}

// The endpoint on its own: an address text that is not dotted decimal is looked up, and the
// look-up's end comes to the window; the destination stays the broadcast address.
TEST(UdpEndpointAloneTest, AnAddressNameIsLookedUpAndTheDestinationStays) {
  struct Window final : TMessageTarget {
    long WindowProc(unsigned message, std::uintptr_t, std::intptr_t) override {
      Messages.push_back(message);
      return 1;
    }
    std::vector<unsigned> Messages;
  } window;
  struct Lines final : UdpEndpoint::Listener {
    void OnUdpMessage(const std::string& line) override { Logged.push_back(line); }
    bool OnRequestLeaving(const PcAddress&, std::span<const std::uint8_t>) override { return true; }
    void OnPcAddressesChanged(ChoiceChange, const PcAddress&) override {}
    std::vector<std::string> Logged;
  } lines;
  MemorySocketLayer layer;
  layer.Startup(1, 1);
  layer.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0")};
  auto hostInfo = layer.NewHostInfoManager();
  UdpEndpoint endpoint(layer, *hostInfo, window, lines);
  endpoint.Choose(layer.Host.Entries[0]);
  ASSERT_TRUE(endpoint.Open("192.168.1.20", "8003"));
  EXPECT_EQ(endpoint.GetState(), UdpState::Ready);

  EXPECT_TRUE(endpoint.Open("gateway-host", "8003"));
  EXPECT_EQ(lines.Logged,
            std::vector<std::string>{"Vellora: Can not convert IP string to dotted decimal"});
  EXPECT_EQ(endpoint.GetState(), UdpState::Bound);
  EXPECT_EQ(endpoint.Destination(),
            TINetSocketAddress(TWinSockDll::htons(8003), NetworkAddress(255, 255, 255, 255)));
  ASSERT_EQ(layer.Lookups.size(), 1u);
  EXPECT_EQ(layer.Lookups[0].Name, "gateway-host");
  layer.CompleteLookup(0, 0);
  EXPECT_EQ(window.Messages, std::vector<unsigned>{WM_HOST_LOOKUP_DONE});
  endpoint.LookupSucceeded();
  EXPECT_EQ(endpoint.GetState(), UdpState::Ready);

  layer.AsyncStartError = 10093;
  EXPECT_TRUE(endpoint.Open("gateway-host", "8003"));
  EXPECT_EQ(lines.Logged.back(),
            "Vellora: UDP Error, Unable to convert the host name to an address");
  EXPECT_EQ(endpoint.GetState(), UdpState::Closed);
}

// The PC's addresses change while the program runs: an entry stands for the address it shows
// on its interface, never for its position.
TEST_F(UdpEndpointTest, AChoiceBindsToTheEntryItShowsWhereverThatNowStands) {
  Start();
  EXPECT_EQ(ws.Get(IdPcIpCombo).ToolTips, (std::vector<std::string>{"eth0", "wlan0"}));
  // An address is added to the earlier interface; the list still shows the two before.
  sockets.Host.Entries.insert(sockets.Host.Entries.begin(),
                              OnInterface(192, 168, 1, 50, 2, "eth0"));
  ws.PickComboEntry(IdPcIpCombo, 1);  // "2: 10.0.0.7"
  EXPECT_EQ(Udp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 7));
  EXPECT_EQ(Udp().InterfaceIndex, 3u);
  EXPECT_EQ(Tcp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 7));
  EXPECT_EQ(Tcp().InterfaceIndex, 3u);
  EXPECT_EQ(Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 192.168.1.50", "2: 192.168.1.20", "3: 10.0.0.7"}));
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 2);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 3: 10.0.0.7 )");

  // Earlier addresses go: the entry that is still there binds to its own address.
  sockets.Host.Entries = {OnInterface(10, 0, 0, 7, 3, "wlan0")};
  ws.PickComboEntry(IdPcIpCombo, 2);
  EXPECT_EQ(Udp().Own.GetNetworkAddress(), NetworkAddress(10, 0, 0, 7));
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 1: 10.0.0.7 )");
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 10.0.0.7"});
  EXPECT_EQ(Udp().Sent.size(), 1u);
}

// Identical benches: one address on two interfaces, a module on each wire.
TEST_F(UdpEndpointTest, TheSameAddressOnTwoInterfacesIsTwoEntriesEachOnItsOwnWire) {
  sockets.Host.Entries = {OnInterface(10, 1, 0, 1, 4, "eth1"), OnInterface(10, 1, 0, 1, 5, "eth2")};
  Start();
  EXPECT_EQ(Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 10.1.0.1 (eth1)", "2: 10.1.0.1 (eth2)"}));
  EXPECT_EQ(Udp().InterfaceIndex, 4u);
  ws.PickComboEntry(IdPcIpCombo, 1);
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 1);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 2: 10.1.0.1 (eth2) )");
  EXPECT_EQ(Udp().InterfaceIndex, 5u);
  EXPECT_EQ(Tcp().InterfaceIndex, 5u);
  EXPECT_EQ(Tcp().InterfaceName, "eth2");
  // The list changing elsewhere keeps the choice on eth2.
  sockets.ChangeAddresses({OnInterface(10, 1, 0, 1, 4, "eth1"), OnInterface(10, 1, 0, 1, 5, "eth2"),
                           OnInterface(10, 9, 0, 1, 6, "eth3")});
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 1);
  EXPECT_EQ(Combo(IdPcIpCombo)[2], "3: 10.9.0.1");

  // eth2 loses the address while eth1 keeps it: the choice does not follow it to eth1.
  Reply(RecordWithMac(1));
  sockets.ChangeAddresses({OnInterface(10, 1, 0, 1, 4, "eth1")});
  EXPECT_EQ(DebugLines().back(), "Vellora: The chosen PC address is no longer available");
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 10.1.0.1"});
}

// A re-plug or a DHCP lease moves the address while the program is busy or stopped: the watch
// has not told yet when the operator presses a button.
TEST_F(UdpEndpointTest, ARequestNeverLeavesFromAnEntryThePcNoLongerHas) {
  sockets.Host.Entries = {OnInterface(10, 1, 0, 1, 4, "eth1")};
  Start();
  Reply(RecordWithMac(1));
  const std::size_t sent = sockets.AllSent().size();
  // Moved to eth2 without a word from the watch.
  sockets.Host.Entries = {OnInterface(10, 1, 0, 1, 5, "eth2")};
  ws.Click(IdRebootButton);
  EXPECT_EQ(sockets.AllSent().size(), sent);
  EXPECT_EQ(DebugLines().back(), "Vellora: The chosen PC address is no longer available");
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008");
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 10.1.0.1"});
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);

  // The operator picks the entry on eth2: only then does the program work there.
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_EQ(Udp().InterfaceIndex, 5u);
  EXPECT_EQ(sockets.AllSent().size(), sent + 1);
}

TEST_F(UdpEndpointTest, AReplugIsSaidOnceAndLaterSearchesSayNoSocketError) {
  sockets.Host.Entries = {OnInterface(10, 1, 0, 1, 4, "eth1")};
  Start();
  ws.Click(IdClearListButton);
  // eth1 removed and made again: same name, same address, another index.
  sockets.ChangeAddresses({OnInterface(10, 1, 0, 1, 7, "eth1")});
  EXPECT_EQ(DebugLines(),
            (std::vector<std::string>{
                "Vellora: The chosen PC address is no longer available",
                "Vellora: The interface eth1 was removed and made again; choose its address "
                "under PC-IP: to work on it"}));
  for (int i = 0; i < 3; ++i)
    ws.Click(IdSearchButton);
  EXPECT_EQ(std::count(DebugLines().begin(), DebugLines().end(),
                       "Vellora: No PC address chosen, nothing sent"),
            3);
  EXPECT_EQ(
      std::count(DebugLines().begin(), DebugLines().end(), sockets.GetReasonString(wsa::ENOTSOCK_)),
      0);
}

TEST_F(UdpEndpointTest, TheOpenListIsNotChangedUnderThePointer) {
  Start();
  ws.PickComboEntry(IdPcIpCombo, 1);  // 10.0.0.7 on wlan0
  ws.OpenComboList(IdPcIpCombo);
  // An address comes before 10.0.0.7 while the list is open: the list stays as it is.
  sockets.ChangeAddresses({OnInterface(172, 16, 0, 1, 1, "eth9"),
                           OnInterface(192, 168, 1, 20, 2, "eth0"),
                           OnInterface(10, 0, 0, 7, 3, "wlan0")});
  EXPECT_EQ(Combo(IdPcIpCombo), (std::vector<std::string>{"1: 192.168.1.20", "2: 10.0.0.7"}));
  EXPECT_EQ(ws.Get(IdPcIpCombo).ChangedWhileOpen, 0);
  // The operator clicks the row they see: "1: 192.168.1.20", not the new first entry.
  ws.PickComboEntry(IdPcIpCombo, 0);
  EXPECT_EQ(Udp().Own.GetNetworkAddress(), NetworkAddress(192, 168, 1, 20));
  EXPECT_EQ(ws.Get(IdPcIpCombo).ChangedWhileOpen, 0);
  // Closed, it shows the addresses of now, the choice selected.
  EXPECT_EQ(Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 172.16.0.1", "2: 192.168.1.20", "3: 10.0.0.7"}));
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 1);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 2: 192.168.1.20 )");

  // The chosen entry goes while the list is open: the sockets close at once, the list waits.
  ws.OpenComboList(IdPcIpCombo);
  sockets.ChangeAddresses({OnInterface(10, 0, 0, 7, 3, "wlan0")});
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_EQ(ws.Get(IdPcIpCombo).ChangedWhileOpen, 0);
  ws.CloseComboList(IdPcIpCombo);
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 10.0.0.7"});
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
}

TEST_F(UdpEndpointTest, ChoosingAnAddressThatWentAwayBindsNothingAndEmptiesEverything) {
  Start();
  GatewayRecord shown = RecordWithMac(1);
  std::strcpy(shown.Name, "shown");
  Reply(shown);
  sockets.Host.Entries.pop_back();
  ws.PickComboEntry(IdPcIpCombo, 1);
  EXPECT_EQ(DebugLines().back(), "Vellora: The chosen PC address is no longer available");
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008");
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 192.168.1.20"});
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
  // The list, the count and every field empty together, as a search empties them.
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
  EXPECT_EQ(Text(IdGatewayCount), "0");
  EXPECT_EQ(Text(IdNameEdit), "");
  EXPECT_EQ(Text(IdMacEdit1), "00");

  const std::size_t sent = sockets.AllSent().size();
  ws.Click(IdSearchButton);
  EXPECT_EQ(DebugLines().back(), "Vellora: No PC address chosen, nothing sent");
  EXPECT_EQ(sockets.AllSent().size(), sent);
  // The terminal says the same and stays idle.
  ws.Click(IdExpandButton);
  ws.Click(IdClearListButton);
  ws.Click(IdConnectButton);
  EXPECT_EQ(DebugLines(),
            std::vector<std::string>{"Vellora: No PC address chosen, cannot connect"});
  EXPECT_EQ(Text(IdStateText), "State: Idle");
  EXPECT_EQ(Text(IdConnectButton), "Connect");
}

TEST_F(UdpEndpointTest, TheListFollowsTheSystemAndKeepsTheChoiceWhileItExists) {
  Start();
  ws.PickComboEntry(IdPcIpCombo, 1);
  Reply(RecordWithMac(1));
  auto* socket = &Udp();
  // The system tells of a new address on another interface: the choice stays selected and in
  // use, renumbered.
  sockets.ChangeAddresses({OnInterface(192, 168, 1, 20, 2, "eth0"),
                           OnInterface(172, 16, 0, 1, 4, "eth1"),
                           OnInterface(10, 0, 0, 7, 3, "wlan0")});
  EXPECT_EQ(Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 192.168.1.20", "2: 172.16.0.1", "3: 10.0.0.7"}));
  EXPECT_EQ(ws.Get(IdPcIpCombo).ToolTips, (std::vector<std::string>{"eth0", "eth1", "wlan0"}));
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 2);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 3: 10.0.0.7 )");
  EXPECT_EQ(&Udp(), socket);
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);

  // Opening the list reads the addresses again too.
  sockets.Host.Entries = {OnInterface(10, 0, 0, 7, 3, "wlan0")};
  ws.OpenComboList(IdPcIpCombo);
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 10.0.0.7"});
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 0);
  EXPECT_EQ(&Udp(), socket);
  ws.CloseComboList(IdPcIpCombo);

  // The chosen address goes: nothing is left bound to it.
  sockets.ChangeAddresses({OnInterface(192, 168, 1, 20, 2, "eth0")});
  EXPECT_EQ(DebugLines().back(), "Vellora: The chosen PC address is no longer available");
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_TRUE(Combo(IdGatewayCombo).empty());
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
  // Another address coming does not choose for the operator.
  sockets.ChangeAddresses(
      {OnInterface(192, 168, 1, 20, 2, "eth0"), OnInterface(10, 0, 0, 8, 3, "wlan0")});
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
}

TEST_F(UdpEndpointTest, APcWithoutAnAddressAtStartTakesTheFirstThatComes) {
  sockets.Host.Entries.clear();
  Start();
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008");
  sockets.ChangeAddresses({OnInterface(10, 1, 2, 3, 2, "eth0")});
  EXPECT_EQ(Combo(IdPcIpCombo), std::vector<std::string>{"1: 10.1.2.3"});
  EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, 0);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 1: 10.1.2.3 )");
  EXPECT_EQ(Udp().Own.GetNetworkAddress(), NetworkAddress(10, 1, 2, 3));
  EXPECT_EQ(SentBytes(), std::vector<std::vector<std::uint8_t>>{AsVector(BuildSearchRequest())});
}

// The window and vellora-cli choose where to start with one rule.
TEST(StartChoiceTest, AnAmbiguousAddressNeedsItsInterfaceAndAMissingOneIsRefused) {
  THostEntry host;
  host.Entries = {OnInterface(10, 1, 0, 1, 4, "eth1"), OnInterface(10, 1, 0, 1, 5, "eth2"),
                  OnInterface(10, 2, 0, 1, 5, "eth2")};
  PcAddressList list;
  list.Update(host);
  const auto choose = [&](std::optional<std::uint32_t> address, const std::string& interface) {
    return ChooseStartEntry(list, StartRequest{address, interface});
  };
  EXPECT_EQ(choose(std::nullopt, "").Position, 0);
  EXPECT_EQ(choose(std::nullopt, "eth2").Position, 1);
  EXPECT_EQ(choose(NetworkAddress(10, 2, 0, 1), "").Position, 2);
  EXPECT_EQ(choose(NetworkAddress(10, 1, 0, 1), "eth2").Position, 1);
  const StartChoice ambiguous = choose(NetworkAddress(10, 1, 0, 1), "");
  EXPECT_EQ(ambiguous.Position, -1);
  EXPECT_EQ(ambiguous.Refusal,
            "10.1.0.1 stands on several interfaces (eth1, eth2); name the one meant with "
            "--interface; the PC's addresses: 10.1.0.1 (eth1), 10.1.0.1 (eth2), 10.2.0.1 (eth2)");
  EXPECT_EQ(choose(NetworkAddress(10, 2, 0, 1), "eth1")
                .Refusal.rfind("10.2.0.1 is not an IPv4 address of the interface eth1;", 0),
            0u);
  EXPECT_EQ(choose(std::nullopt, "eth7")
                .Refusal.rfind("the interface eth7 has no IPv4 address, or is down;", 0),
            0u);
  EXPECT_EQ(ChooseStartEntry(PcAddressList(), {}).Position, -1);
}

}  // namespace
