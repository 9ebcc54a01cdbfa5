// The simulator's command line as the tests start it: gateways numbered from their bases and
// changed by their --gateway settings, TCP on the address of --bind, a broadcast reply refused
// without its interface, and a help text that names every option and no other. Its pieces on the
// event loop: a deadline timer calls back once, never before its time and never after it was
// moved away or cancelled, and a stop signal that comes before the loop waits is kept for it.
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/poll_event_loop.h"
#include "protocol/text_values.h"
#include "tools/gateway_sim/deadline_timer.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/sim_clock.h"
#include "tools/gateway_sim/stop_signals.h"

namespace {

bool Parse(std::vector<const char*> words, SimOptions& options, std::string& error) {
  words.insert(words.begin(), "vellora-gateway-sim");
  return ParseOptions(static_cast<int>(words.size()), words.data(), options, error);
}

TEST(GatewaySimOptionsTest, GatewaysCountFromTheirBasesAndTakeTheirOwnSettings) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(Parse(
      {"--gateways", "2", "--mac-base", "02:00:00:00:00:ff", "--ip-base", "10.0.0.200", "--gateway",
       "ip=10.1.0.1,name=press,dhcp=7", "--bind", "127.0.0.1", "--reboot-seconds", "0.0016"},
      o, error))
      << error;
  ASSERT_EQ(o.Gateways.size(), 2u);
  const GatewayRecord& first = o.Gateways[0].Record;
  const GatewayRecord& second = o.Gateways[1].Record;
  // ip= also sets the address in use; the gateway is the .1 of the base subnet.
  EXPECT_EQ(MacText(MacOf(first)) + "|" + DottedQuad(first.ActualIp) + "|" + first.Name + "|" +
                std::to_string(first.UseDhcp) + "|" + DottedQuad(first.GatewayIp),
            "02 00 00 00 00 FF|10.1.0.1|press|7|10.0.0.1");
  EXPECT_EQ(MacText(MacOf(second)) + "|" + DottedQuad(second.Ip) + "|" + second.Name,
            "02 00 00 00 01 00|10.0.0.201|sim-gw-2");
  EXPECT_EQ(o.TcpBindIp, Ipv4(127, 0, 0, 1)) << "TCP follows --bind";
  EXPECT_EQ(o.RebootMs, 2);
  EXPECT_EQ(UsageTextMismatches(), std::vector<std::string>{});

  EXPECT_FALSE(Parse({"--reply", "broadcast"}, o, error));
  EXPECT_EQ(error,
            "--reply broadcast needs --interface, so the broadcast leaves by a chosen interface");
  EXPECT_FALSE(Parse({"--gateway", "name=a", "--gateway", "port=65536"}, o, error));
  EXPECT_EQ(error, "--gateway 2: bad value '65536' for gateway key 'port'");
}

using namespace std::chrono_literals;

// A bound against a hang only; the loop waits for its timers and descriptors by itself.
PollEventLoop::Clock::time_point Bound() {
  return PollEventLoop::Clock::now() + 5s;
}

// Called back once at the last time set, never early; not when cancelled or destroyed; again
// when set again from its own callback.
TEST(DeadlineTimerTest, CallsBackOnceAtTheLastTimeSetNeverEarlyAndNotWhenCancelled) {
  PollEventLoop loop;
  std::vector<std::int64_t> calls;
  std::optional<DeadlineTimer> timer;
  timer.emplace(loop, [&] {
    calls.push_back(MonotonicMs());
    if (calls.size() == 2 || calls.size() == 3) timer->At(MonotonicMs());
  });
  const std::int64_t start = MonotonicMs();
  timer->At(start + 60000);
  timer->At(start + 20);  // moved nearer: the first time no longer counts
  ASSERT_TRUE(loop.RunUntil([&] { return !calls.empty(); }, Bound()));
  EXPECT_GE(calls[0], start + 20);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 1u);

  timer->At(start);  // already past: due in the next pass
  timer->At(-1);
  loop.RunOnce(0ms);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 1u);
  {
    DeadlineTimer gone(loop, [&] { calls.push_back(-1); });
    gone.At(start);
  }
  loop.RunOnce(0ms);
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 1u) << "a timer destroyed before its time calls nobody";
  timer->At(start);
  ASSERT_TRUE(loop.RunUntil([&] { return calls.size() == 4; }, Bound()));
  loop.RunOnce(0ms);
  EXPECT_EQ(calls.size(), 4u);
}

TEST(StopSignalsTest, ASignalThatComesBeforeTheLoopWaitsIsKeptForIt) {
  StopSignals signals;
  std::string error;
  ASSERT_TRUE(signals.Open(error)) << error;
  EXPECT_EQ(signals.Take(), nullptr);

  // Blocked from Open() on: both wait on the descriptor instead of ending the process.
  std::raise(SIGTERM);
  std::raise(SIGINT);
  PollEventLoop loop;
  std::vector<std::string> taken;
  loop.AddWatch(signals.Fd(), TEventLoop::WatchKind::Read, [&] {
    if (const char* name = signals.Take()) taken.emplace_back(name);
  });
  ASSERT_TRUE(loop.RunUntil([&] { return taken.size() == 2; }, Bound()));
  EXPECT_EQ(taken, (std::vector<std::string>{"SIGINT", "SIGTERM"}));
}

}  // namespace
