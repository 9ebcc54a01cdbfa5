// Traffic statistics on the one-second timer.
#include "tests/support/vellora_fixture.h"

namespace {

class TrafficStatsTest : public VelloraTest {
 protected:
  void SetUp() override { Start(); }
  void Tick() { ASSERT_TRUE(ws.FireTimer(2300)); }
  std::vector<std::string> Shown() const {
    return {Text(IdReceiveRate),  Text(IdReceiveTotal), Text(IdCommandRate),
            Text(IdCommandTotal), Text(IdSendRate),     Text(IdSendTotal)};
  }
};

TEST_F(TrafficStatsTest, ShowsRatesRightAlignedAndTotals) {
  dlg->BytesReceived = 512;
  Tick();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"    512", "512", "      0", "0", "      0", "0"}));
  Tick();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"      0", "512", "      0", "0", "      0", "0"}));
  dlg->BytesReceived += 100;
  Tick();
  EXPECT_EQ(Text(IdReceiveRate), "    100");
  EXPECT_EQ(Text(IdReceiveTotal), "612");
}

TEST_F(TrafficStatsTest, ClearStartsTheCountAgainAtTheNextTick) {
  dlg->BytesReceived = 4000;
  Tick();
  ws.Click(IdClearStatsButton);
  EXPECT_EQ(Text(IdReceiveTotal), "4000");  // the display changes at the next tick
  dlg->BytesReceived += 30;
  Tick();
  EXPECT_EQ(Text(IdReceiveRate), "     30");
  EXPECT_EQ(Text(IdReceiveTotal), "30");
}

TEST_F(TrafficStatsTest, HighRatesAndWrappingCountersStayRight) {
  dlg->BytesReceived = 25'000'000;  // a fast module: the scaled count needs more than 32 bits
  Tick();
  EXPECT_EQ(Text(IdReceiveRate), "25000000");
  dlg->BytesReceived = 0xFFFFFF00u;
  Tick();
  dlg->BytesReceived += 0x200u;  // wraps past 2^32
  Tick();
  EXPECT_EQ(Text(IdReceiveRate), "    512");
  EXPECT_EQ(Text(IdReceiveTotal), "256");
}

TEST_F(TrafficStatsTest, EachTickStopsTheTimerAndStartsItAgainAtItsEnd) {
  ws.Journal.clear();
  Tick();
  EXPECT_EQ(ws.Journal, (std::vector<std::string>{"KillTimer 2300", "SetTimer 2300 1000"}));
  ws.Journal.clear();
  dlg->WindowProc(WM_TIMER, 2301, 0);
  EXPECT_TRUE(ws.Journal.empty());
  EXPECT_EQ(Text(IdReceiveRate), "      0");
}

TEST_F(TrafficStatsTest, ATimerThatCannotRestartIsReportedAndTicksStop) {
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
