// Gateway information replies taken per second by the real program: the program's dialog on
// the real Qt window (offscreen), the Qt event loop and the POSIX sockets, in a network
// namespace of its own, joined by a veth pair to a namespace where a sender floods it with
// valid 186-byte replies from port 8003 in sendmmsg bursts. The datagrams the program read are
// counted by a socket layer that wraps the POSIX one.
//
//   udp_replies_bench [--seconds S] [--mix duplicates|distinct|both] [--distinct N]
//                     [--rate R] [--burst B]
//
// Each mix runs S seconds (default 5) after a "Search" has emptied the list: "duplicates"
// repeats one MAC (the common flood), "distinct" cycles through N MACs (default 4000), of
// which the program lists the first 20. --rate paces the sender to R datagrams per second
// (default 0: as fast as it can). Reports the sender's and the program's rates, the program's
// CPU time per datagram (what it could take with a core of its own, whatever else the machine
// runs), the datagrams the kernel dropped for a full receive buffer, the resident memory at the
// start, middle and end of each mix, the worst lateness of the program's one-second timer, and
// whether the list shows exactly the expected gateways. Exits with 0 when every mix took at
// least 100,000 datagrams a second (paced: took everything offered), kept its memory flat and
// left the list exact. Needs root; everything it makes is removed at the end.
#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/bench_network.h"
#include "bench/common/bench_program.h"
#include "bench/common/cpu_time.h"
#include "bench/common/resident_memory.h"
#include "bench/udp_replies/gateway_list_check.h"
#include "bench/udp_replies/kernel_udp_counters.h"
#include "bench/udp_replies/reply_flooder.h"
#include "platform/qt/qt_window_system.h"
#include "resources/control_ids.h"
#include "tests/support/netns.h"
#include "tools/command_line/command_line.h"
#include "udp/gateway_list.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kAimPerSecond = 100000;
constexpr std::int64_t kFlatKiB = 512;  // growth allowed over the second half of a mix

struct Options {
  double Seconds = 5;
  std::vector<int> Mixes;  // distinct MACs per mix
  int Distinct = 4000;
  std::uint64_t Rate = 0;
  int Burst = 64;
};

struct Sample {
  Clock::time_point At;
  std::uint64_t Reads;
  std::uint64_t ResidentKiB;
};

struct PhaseResult {
  std::string Name;
  FloodResult Sent;
  std::uint64_t Taken = 0;
  double CpuSeconds = 0;  // the program's, over the flood
  double SteadyPerSecond = 0;
  std::uint64_t BufferDrops = 0, BacklogDrops = 0;
  std::uint64_t RssStart = 0, RssMiddle = 0, RssEnd = 0;
  BenchProgram::Lateness Ticks;
  std::vector<std::string> Faults;
};

// Nothing when the run is to go on, else the code to exit with (after --help or a fault).
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
  constexpr unsigned kDuplicates = 1, kDistinct = 2;
  unsigned mixes = kDuplicates | kDistinct;
  CommandLine line("udp_replies_bench");
  line.Fraction("seconds", options.Seconds, 0.1, 3600, {"S", "how long each mix runs (default 5)"})
      .Choice(
          "mix", mixes,
          {{"duplicates", kDuplicates}, {"distinct", kDistinct}, {"both", kDuplicates | kDistinct}},
          "one MAC repeated, --distinct MACs, or both mixes (default both)")
      .Number("distinct", options.Distinct, 2, 100000, "MACs of the distinct mix (default 4000)")
      .Number("rate", options.Rate, 0, UINT64_MAX,
              {"R", "datagrams per second, 0 = as fast as the sender can (default 0)"})
      .Number("burst", options.Burst, 1, 1024, {"B", "datagrams per sendmmsg call (default 64)"});
  if (const std::optional<int> exit = line.ParseOrExitCode(argc, argv)) return exit;
  if (mixes & kDuplicates) options.Mixes.push_back(1);
  if (mixes & kDistinct) options.Mixes.push_back(options.Distinct);
  return std::nullopt;
}

double Seconds(std::int64_t ns) {
  return static_cast<double>(ns) / 1e9;
}

Clock::time_point FromNs(std::int64_t ns) {
  return Clock::time_point(std::chrono::nanoseconds(ns));
}

// Rate of reads between one second after the flood began and its end: the program's pace once
// running, without the start.
double SteadyRate(const std::vector<Sample>& samples, const FloodResult& sent) {
  const Clock::time_point from = FromNs(sent.StartNs) + std::chrono::seconds(1);
  const Clock::time_point to = FromNs(sent.EndNs);
  const Sample* first = nullptr;
  const Sample* last = nullptr;
  for (const Sample& s : samples) {
    if (s.At < from || s.At > to) continue;
    if (first == nullptr) first = &s;
    last = &s;
  }
  if (first == nullptr || last == first) return 0;
  return static_cast<double>(last->Reads - first->Reads) /
         std::chrono::duration<double>(last->At - first->At).count();
}

bool RunPhase(BenchProgram& program, ReplyFlooder& sender, const sockaddr_in& to,
              const Options& options, int distinct, PhaseResult& result) {
  result.Name =
      distinct == 1 ? "duplicates (1 MAC)" : "distinct (" + std::to_string(distinct) + " MACs)";
  // "Search" empties the list; its request reaching the sender shows the program is heard.
  if (!program.Click(IdSearchButton)) {
    std::fprintf(stderr, "the Search button cannot be clicked\n");
    return false;
  }
  sockaddr_in from{};
  if (!sender.AwaitSearch(5000, from) || from.sin_port != to.sin_port) {
    std::fprintf(stderr, "the program's search did not reach the sender\n");
    return false;
  }
  program.RunFor(std::chrono::milliseconds(100));
  const std::vector<std::string> debugLinesBefore = program.DebugLines();

  const KernelUdpCounters kernelBefore = ReadKernelUdpCounters();
  const std::uint64_t readsBefore = program.Counts().DatagramsRead;
  std::vector<Sample> samples;
  samples.reserve(1024);
  samples.push_back({Clock::now(), readsBefore, ResidentKiB()});

  FloodPlan plan;
  plan.DistinctMacs = distinct;
  plan.Seconds = options.Seconds;
  plan.Burst = options.Burst;
  plan.Rate = options.Rate;
  const double cpuBefore = ProcessCpuSeconds();
  if (!sender.Start(to, plan)) return false;
  const auto runMs = static_cast<long>(options.Seconds * 1000) + 300;
  program.RunFor(std::chrono::milliseconds(runMs), std::chrono::milliseconds(100), [&] {
    samples.push_back({Clock::now(), program.Counts().DatagramsRead, ResidentKiB()});
  });
  if (!sender.Finish(result.Sent, 10000)) {
    std::fprintf(stderr, "the sender did not finish\n");
    return false;
  }
  program.RunFor(std::chrono::milliseconds(300));  // what is still queued
  result.CpuSeconds = ProcessCpuSeconds() - cpuBefore;
  samples.push_back({Clock::now(), program.Counts().DatagramsRead, ResidentKiB()});
  const KernelUdpCounters kernelAfter = ReadKernelUdpCounters();

  result.Taken = program.Counts().DatagramsRead - readsBefore;
  result.SteadyPerSecond = SteadyRate(samples, result.Sent);
  result.BufferDrops = kernelAfter.ReceiveBufferErrors - kernelBefore.ReceiveBufferErrors;
  result.BacklogDrops = kernelAfter.BacklogDrops - kernelBefore.BacklogDrops;
  result.RssStart = samples.front().ResidentKiB;
  result.RssEnd = samples.back().ResidentKiB;
  const Clock::time_point middle =
      FromNs(result.Sent.StartNs + (result.Sent.EndNs - result.Sent.StartNs) / 2);
  result.RssMiddle = result.RssStart;
  for (const Sample& s : samples)
    if (s.At <= middle) result.RssMiddle = s.ResidentKiB;
  result.Ticks = program.LatenessBetween(FromNs(result.Sent.StartNs), Clock::now());

  result.Faults = CheckGatewayList(program, distinct);
  std::vector<std::string> debugLinesExpected = debugLinesBefore;
  // Modules beyond the list's 20 are counted once per search, in one line.
  if (distinct > GatewayList::kCapacity) {
    debugLinesExpected.push_back("Vellora: " + std::to_string(distinct - GatewayList::kCapacity) +
                                 " more modules answered the search and are not listed: the "
                                 "list holds " +
                                 std::to_string(GatewayList::kCapacity));
  }
  const std::vector<std::string> debugLinesAfter = program.DebugLines();
  if (debugLinesAfter != debugLinesExpected) {
    result.Faults.push_back("the debug list changed: " +
                            (debugLinesAfter.empty() ? std::string() : debugLinesAfter.back()));
  }
  if (!program.Boxes().empty()) result.Faults.push_back("message box: " + program.Boxes().back());
  if (!kernelBefore.Valid) result.Faults.push_back("(kernel UDP counters not readable)");
  return true;
}

int Report(const Options& options, std::uint64_t rssAtStart,
           const std::vector<PhaseResult>& phases) {
  std::printf("\nudp_replies_bench: %.1f s per mix, sendmmsg bursts of %d, sender %s\n",
              options.Seconds, options.Burst,
              options.Rate == 0 ? "unpaced" : (std::to_string(options.Rate) + "/s").c_str());
  std::printf("machine: %u processors, load average %.2f; program resident at start: %llu KiB\n\n",
              std::thread::hardware_concurrency(), LoadAverage(),
              static_cast<unsigned long long>(rssAtStart));
  std::printf("%-22s %9s %9s %9s %8s %10s %11s %8s  %-20s %7s  %s\n", "mix", "sent/s", "taken/s",
              "steady/s", "cpu us", "per-cpu-s", "rcvbuf-drop", "bl-drop", "RSS KiB start/mid/end",
              "late ms", "list");
  bool met = true;
  for (const PhaseResult& p : phases) {
    const double seconds = Seconds(p.Sent.EndNs - p.Sent.StartNs);
    const double taken = static_cast<double>(p.Taken) / seconds;
    char rss[64];
    std::snprintf(rss, sizeof rss, "%llu/%llu/%llu", static_cast<unsigned long long>(p.RssStart),
                  static_cast<unsigned long long>(p.RssMiddle),
                  static_cast<unsigned long long>(p.RssEnd));
    const double cpuPer = p.Taken > 0 ? p.CpuSeconds * 1e6 / static_cast<double>(p.Taken) : 0;
    char steady[32] = "-", late[32] = "-";
    if (p.SteadyPerSecond > 0) std::snprintf(steady, sizeof steady, "%.0f", p.SteadyPerSecond);
    if (p.Ticks.Ticks > 0) std::snprintf(late, sizeof late, "%.1f", p.Ticks.WorstMs);
    std::printf("%-22s %9.0f %9.0f %9s %8.2f %10.0f %11llu %8llu  %-20s %7s  %s\n", p.Name.c_str(),
                static_cast<double>(p.Sent.Sent) / seconds, taken, steady, cpuPer,
                cpuPer > 0 ? 1e6 / cpuPer : 0, static_cast<unsigned long long>(p.BufferDrops),
                static_cast<unsigned long long>(p.BacklogDrops), rss, late,
                p.Faults.empty() ? "exact" : "WRONG");
    for (const std::string& fault : p.Faults)
      std::printf("    %s\n", fault.c_str());
    const auto growth =
        static_cast<std::int64_t>(p.RssEnd) - static_cast<std::int64_t>(p.RssMiddle);
    const bool flat = growth <= kFlatKiB;
    bool fast = taken >= kAimPerSecond;
    if (options.Rate == 0) {
      std::printf("    taken %.0f/s: %s (aim %.0f/s)", taken, fast ? "met" : "NOT MET",
                  kAimPerSecond);
    } else {
      // Paced: the question is whether the program kept up with what was offered.
      fast = p.BufferDrops == 0 && p.BacklogDrops == 0;
      std::printf("    kept up with %llu/s: %s (%llu dropped)",
                  static_cast<unsigned long long>(options.Rate), fast ? "yes" : "NO",
                  static_cast<unsigned long long>(p.BufferDrops + p.BacklogDrops));
    }
    std::printf("; memory second half %+lld KiB: %s; sender send failures %llu\n",
                static_cast<long long>(growth), flat ? "flat" : "GROWING",
                static_cast<unsigned long long>(p.Sent.SendFailures));
    met = met && fast && flat && p.Faults.empty();
  }
  std::printf(
      "\nsent/s: offered by the sender; taken/s: datagrams the program read over the flood; "
      "steady/s: the same from 1 s in;\ncpu us: the program's CPU time per datagram taken; "
      "per-cpu-s: datagrams it takes per second of CPU (its rate with a core of its own);\n"
      "rcvbuf-drop: dropped by the kernel for the program's full socket buffer; bl-drop: "
      "dropped by input queues; late ms: worst timer tick lateness.\n");
  return met ? 0 : 1;
}

int Run(const Options& options, ReplyFlooder& sender) {
  BenchProgram program;
  const std::uint64_t rssAtStart = ResidentKiB();
  sockaddr_in to{};
  if (!sender.AwaitSearch(5000, to)) {
    std::fprintf(stderr, "the program's first search did not reach the sender\n");
    return 1;
  }
  if (program.DatagramAddress().GetPort() != ntohs(to.sin_port) ||
      to.sin_addr.s_addr != inet_addr(BenchNetwork::kPcAddress)) {
    std::fprintf(stderr, "the search came from an unexpected address\n");
    return 1;
  }
  char address[INET_ADDRSTRLEN];
  inet_ntop(AF_INET, &to.sin_addr, address, sizeof address);
  std::printf("program's search heard from %s:%u; flooding it\n", address, ntohs(to.sin_port));

  std::vector<PhaseResult> phases;
  for (const int distinct : options.Mixes) {
    PhaseResult result;
    if (!RunPhase(program, sender, to, options, distinct, result)) return 1;
    phases.push_back(result);
  }
  return Report(options, rssAtStart, phases);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> exit = ParseOptions(argc, argv, options)) return *exit;
  if (!BenchNetwork::Possible("udp_replies_bench")) return 0;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  BenchNetwork namespaces("vbur-", {});
  if (!namespaces.Ready()) {
    std::fprintf(stderr, "could not make the network namespaces\n");
    return 1;
  }
  ReplyFlooder sender(namespaces.Gw, BenchNetwork::kGwInterface);
  if (!sender.Ready()) {
    std::fprintf(stderr, "%s\n", sender.Failure().c_str());
    return 1;
  }
  InNamespace inside(namespaces.Pc);
  if (!inside.Entered) {
    std::fprintf(stderr, "could not enter %s\n", namespaces.Pc.c_str());
    return 1;
  }
  return Run(options, sender);
}
