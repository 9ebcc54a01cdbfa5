// Traffic statistics: rates and totals once a second.
#include "terminal/traffic_stats.h"
#include "tests/support/vellora_fixture.h"

namespace {

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
  EXPECT_EQ(TrafficStats::RateText(512), "    512");
  EXPECT_EQ(TrafficStats::RateText(25'000'000), "25000000");
}

class TrafficDisplayTest : public VelloraTest {
 protected:
  void SetUp() override { StartWithModule(true); }
  std::vector<std::string> Shown() const {
    return {Text(IdReceiveRate),  Text(IdReceiveTotal), Text(IdCommandRate),
            Text(IdCommandTotal), Text(IdSendRate),     Text(IdSendTotal)};
  }
};

// Each tick stops the timer, shows the rates right-aligned and the totals, and starts the timer
// again at its end; "Clear" starts the count again and shows at the next tick.
TEST_F(TrafficDisplayTest, EachTickShowsRatesRightAlignedAndTotals) {
  EXPECT_EQ(Text(IdReceiveRate), "Baudrate");  // until the first tick
  sockets.DeliverStream(Tcp(), std::string(512, 'x'));
  ws.Journal.clear();
  Tick();
  EXPECT_EQ(ws.Journal, (std::vector<std::string>{"KillTimer 2300", "SetTimer 2300 1000"}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"    512", "512", "      0", "0", "      0", "0"}));
  ws.Journal.clear();
  Dialog().WindowProc(WM_TIMER, 2301, 0);  // another timer: nothing happens
  EXPECT_TRUE(ws.Journal.empty());
  Tick();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"      0", "512", "      0", "0", "      0", "0"}));
  ws.Click(IdClearStatsButton);
  EXPECT_EQ(Text(IdReceiveTotal), "512");
  sockets.DeliverStream(Tcp(), std::string(30, 'x'));
  Tick();
  EXPECT_EQ(Text(IdReceiveRate), "     30");
  EXPECT_EQ(Text(IdReceiveTotal), "30");
}

TEST_F(TrafficDisplayTest, ATimerThatCannotRestartIsReportedAndTicksStop) {
  ws.FailSetTimer = true;
  Tick();
  ASSERT_EQ(ws.Boxes.size(), 1u);
  EXPECT_EQ(ws.Boxes[0].Caption,
            "Kein Timer f\xFCr Refresh der Socket-Baudrateanzeige verf\xFCgbar");
  EXPECT_EQ(ws.Boxes[0].Text, "");
  EXPECT_EQ(ws.Boxes[0].Type, MB_OK);
  EXPECT_FALSE(ws.FireTimer(2300));
}

}  // namespace
