// The terminal's receive path: the byte stream cut into lines, the reads that feed it, and the
// traffic statistics, rates and totals once a second.
#include "terminal/line_cutter.h"
#include "terminal/traffic_stats.h"
#include "tests/support/vellora_fixture.h"

namespace {

Texts Cut(LineCutter& cutter, const std::string& bytes) {
  Texts lines;
  cutter.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
              [&](const char* line) { lines.emplace_back(line); });
  return lines;
}

// CR ends a line, LF is dropped, the partial line waits; a line keeps its first 298 bytes as they
// came, up to a NUL.
TEST(LineCutterTest, CrEndsALineLfIsDroppedAndALineKeepsItsFirst298Bytes) {
  LineCutter cutter;
  EXPECT_EQ(Cut(cutter, "abc\r\ndef\r\n"), (Texts{"abc", "def"}));
  EXPECT_EQ(Cut(cutter, "abc\r\r"), (Texts{"abc", ""}));
  EXPECT_TRUE(Cut(cutter, "one\ntwo\n").empty());
  EXPECT_EQ(Cut(cutter, "\r"), Texts{"onetwo"});
  EXPECT_TRUE(Cut(cutter, "ab").empty());
  EXPECT_EQ(cutter.Pending(), "ab");
  EXPECT_EQ(Cut(cutter, "c\rd"), Texts{"abc"});
  cutter.Clear();
  std::string line;
  for (int i = 0; i < 400; ++i)
    line += static_cast<char>('a' + i % 26);
  EXPECT_EQ(Cut(cutter, line + "\r"), Texts{line.substr(0, 298)});
  EXPECT_EQ(Cut(cutter, std::string("ab\0cd\r", 6)), Texts{"ab"});
  EXPECT_EQ(Cut(cutter, "\x01\xE4\xFF<b>\t\r"), Texts{"\x01\xE4\xFF<b>\t"});
}

TEST(TrafficStatsTest, RatesAreTheGrowthOfOnePeriodAndTotalsWrapWithTheCounters) {
  TrafficStats stats;
  TrafficCounters counters;
  counters.BytesReceived = 25'000'000;  // a fast module: the scaled count needs more than 32 bits
  EXPECT_EQ(stats.Tick(counters, 1000).ReceivedRate, 25'000'000u);
  EXPECT_EQ(stats.Tick(counters, 1000).ReceivedRate, 0u);
  counters.BytesReceived = 0xFFFFFF00u;
  stats.Tick(counters, 1000);
  counters.BytesReceived += 0x200u;  // wraps past 2^32
  const TrafficStats::Shown shown = stats.Tick(counters, 500);
  EXPECT_EQ(shown.ReceivedRate, 1024u);  // scaled by the period
  EXPECT_EQ(shown.Totals.BytesReceived, 256u);
  stats.Clear();
  EXPECT_EQ(stats.Tick(counters, 1000).ReceivedRate, 256u);
  EXPECT_EQ(TrafficStats::RateText(25'000'000), "25000000");
}

class ReceivePathTest : public VelloraTest {
 protected:
  void SetUp() override {
    StartWithModule(true);
    ws.Click(IdClearListButton);
  }
  Texts Shown() const {
    return TextsOf(
        {IdReceiveRate, IdReceiveTotal, IdCommandRate, IdCommandTotal, IdSendRate, IdSendTotal});
  }
};

TEST_F(ReceivePathTest, OneReadTakesAtMost2047BytesAndCountsThemAll) {
  sockets.DeliverStream(Tcp(), std::string(5000, 'x') + "\r\n");
  Tick();
  EXPECT_EQ(Text(IdReceiveTotal), "2047");
  sockets.TellReadable(Tcp());
  sockets.TellReadable(Tcp());
  Tick();
  EXPECT_EQ(Text(IdReceiveTotal), "5002");  // CR and LF counted too
  EXPECT_EQ(DebugLines(), Texts{std::string(298, 'x')});
}

// Each socket's notifications reach its own reader only: the terminal's data never reads a
// datagram, and a datagram never reads the terminal.
TEST_F(ReceivePathTest, EachSocketsDataIsReadByItsOwnReaderOnly) {
  Udp().Incoming.push_back(
      {AsVector(BuildGatewayInfoReply(RecordWithMac(0x02))), TINetSocketAddress(8003, Ipv4())});
  sockets.DeliverStream(Tcp(), "hello\r");
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 1u);
  Tcp().IncomingChunks.push_back({'a', 'g', 'a', 'i', 'n', '\r'});
  sockets.TellReadable(Udp());
  EXPECT_EQ(Combo(IdGatewayCombo).size(), 2u);
  EXPECT_EQ(DebugLines(), Texts{"hello"});
  EXPECT_EQ(Tcp().IncomingChunks.size(), 1u);
}

TEST_F(ReceivePathTest, ClearKeepsThePartialLineButAnyReturnToIdleDropsIt) {
  sockets.DeliverStream(Tcp(), "abc");
  ws.Click(IdClearListButton);
  sockets.DeliverStream(Tcp(), "\r");
  EXPECT_EQ(DebugLines(), Texts{"abc"});

  for (bool byButton : {true, false}) {
    sockets.DeliverStream(Tcp(), "lost");
    if (byButton) {
      ws.Click(IdConnectButton);  // disconnect
    } else {
      sockets.TellClosed(Tcp(), 0);
    }
    ws.Click(IdConnectButton);
    sockets.AcceptConnect(Tcp());
    ws.Click(IdClearListButton);
    sockets.DeliverStream(Tcp(), "\r");
    EXPECT_EQ(DebugLines(), Texts{""});
  }
}

TEST_F(ReceivePathTest, EachTickShowsRatesRightAlignedAndTotals) {
  EXPECT_EQ(Text(IdReceiveRate), "Baudrate");  // until the first tick
  sockets.DeliverStream(Tcp(), std::string(512, 'x'));
  ws.Journal.clear();
  Tick();
  EXPECT_EQ(ws.Journal, (Texts{"KillTimer 2300", "SetTimer 2300 1000"}));
  EXPECT_EQ(Shown(), (Texts{"    512", "512", "      0", "0", "      0", "0"}));
  ws.Journal.clear();
  Dialog().WindowProc(WM_TIMER, 2301, 0);  // another timer: nothing happens
  EXPECT_TRUE(ws.Journal.empty());
  Tick();
  EXPECT_EQ(Shown(), (Texts{"      0", "512", "      0", "0", "      0", "0"}));
  ws.Click(IdClearStatsButton);
  EXPECT_EQ(Text(IdReceiveTotal), "512");
  sockets.DeliverStream(Tcp(), std::string(30, 'x'));
  Tick();
  EXPECT_EQ(TextsOf({IdReceiveRate, IdReceiveTotal}), (Texts{"     30", "30"}));
  // A timer that cannot restart is said, and the ticks stop.
  ws.FailSetTimer = true;
  Tick();
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Caption,
            "Kein Timer f\xFCr Refresh der Socket-Baudrateanzeige verf\xFCgbar");
  EXPECT_FALSE(ws.FireTimer(2300));
}

}  // namespace
