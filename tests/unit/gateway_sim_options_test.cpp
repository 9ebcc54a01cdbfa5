// The simulator's command line: gateways numbered from their bases and changed by their
// --gateway settings, defaults that follow other options, contradictions refused, and a help
// text that names every option and no other. Its pieces on the event loop: a deadline timer
// calls back once, never before its time and never after it was moved away or cancelled, and
// a stop signal that comes before the loop waits is kept for it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/poll_event_loop.h"
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
  ASSERT_TRUE(Parse({"--gateways", "3", "--mac-base", "02:00:00:00:00:ff", "--ip-base",
                     "10.0.0.200", "--gateway", "ip=10.1.0.1,name=press,port=81,dhcp=1,spare=9",
                     "--gateway=actual=10.2.0.2,ip=10.1.0.2", "--bind", "127.0.0.1", "--seed",
                     "18446744073709551615", "--reboot-seconds", "0.0016", "--run-seconds=2"},
                    o, error))
      << error;
  ASSERT_EQ(o.Gateways.size(), 3u);
  const GatewayRecord& first = o.Gateways[0].Record;
  EXPECT_EQ(0, std::memcmp(first.Mac, "\x02\0\0\0\0\xff", 6));
  EXPECT_EQ(first.ActualIp, first.Ip) << "ip= also sets the address in use";
  EXPECT_EQ((std::vector<unsigned>{first.Ip.Number(), first.Port, first.UseDhcp,
                                   static_cast<unsigned>(o.Gateways[0].Spare)}),
            (std::vector<unsigned>{0x0A010001u, 81, 1, 9}));
  EXPECT_STREQ(first.Name, "press");
  EXPECT_EQ(first.GatewayIp.Number(), 0x0A000001u) << "the .1 of the base subnet";
  const GatewayRecord& second = o.Gateways[1].Record;
  EXPECT_EQ(second.ActualIp.Number(), 0x0A020002u) << "actual= wins over ip=, whatever their order";
  EXPECT_EQ(0, std::memcmp(second.Mac, "\x02\0\0\0\x01\0", 6)) << "the MAC carries over";
  const GatewayRecord& third = o.Gateways[2].Record;
  EXPECT_EQ(third.Ip.Number(), 0x0A0000CAu);
  EXPECT_STREQ(third.Name, "sim-gw-3");

  EXPECT_EQ(o.TcpBindIp, Ipv4(127, 0, 0, 1)) << "TCP follows --bind unless --tcp-bind is given";
  EXPECT_EQ(o.Faults.Seed, 18446744073709551615u);
  EXPECT_EQ(std::pair(o.RebootMs, o.RunMs), std::pair(2, 2000));
  EXPECT_TRUE(o.TcpEnabled && !o.Help);

  ASSERT_TRUE(Parse({"--bind", "127.0.0.1", "--tcp-bind", "0.0.0.0", "--no-tcp", "-h"}, o, error));
  EXPECT_EQ(o.TcpBindIp, Ipv4());
  EXPECT_TRUE(!o.TcpEnabled && o.Help);
  ASSERT_EQ(o.Gateways.size(), 1u) << "one gateway when none is asked for";
}

TEST(GatewaySimOptionsTest, ContradictionsAndBadGatewaySettingsAreRefused) {
  EXPECT_EQ(UsageTextMismatches(), std::vector<std::string>{});  // the help names every option
  const struct {
    std::vector<const char*> Words;
    const char* Error;
  } cases[] = {
      {{"--gateways", "1", "--gateway", "name=a", "--gateway", "name=b"},
       "--gateways is smaller than the number of --gateway options"},
      {{"--reply", "broadcast"},
       "--reply broadcast needs --interface, so the broadcast leaves by a chosen interface"},
      {{"--gateway", "name=a", "--gateway", "port=65536"},
       "--gateway 2: bad value '65536' for gateway key 'port'"},
      {{"--gateway", "dhcp=256"}, "--gateway 1: bad value '256' for gateway key 'dhcp'"},
      {{"--gateway", "mask=255.255.255"},
       "--gateway 1: bad value '255.255.255' for gateway key 'mask'"},
      {{"--gateway", "name=123456789012345678901"},
       "--gateway 1: bad value '123456789012345678901' for gateway key 'name'"},
      {{"--gateway", "colour=red"}, "--gateway 1: unknown gateway key 'colour'"},
      {{"--gateway", "name"}, "--gateway 1: gateway setting 'name' is not key=value"},
      {{"--hostile", "short,loud"},
       "bad value 'short,loud' for --hostile: unknown hostile kind "
       "'loud'"},
      {{"--gateways", "2", "stray"}, "unexpected argument 'stray' (see --help)"},
  };
  for (const auto& c : cases) {
    SimOptions o;
    std::string error;
    EXPECT_FALSE(Parse(c.Words, o, error)) << c.Error;
    EXPECT_EQ(error, c.Error);
  }
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
