// Terminal ingest of the real program: its dialog on the real Qt window (offscreen), the Qt
// event loop and the POSIX sockets, in a network namespace of its own, joined by a veth pair
// to a namespace where the gateway simulator floods CR LF lines on port 80 of a module's
// address. The program finds the module with its start-up search and connects through its own
// "Connect" button.
//
//   terminal_ingest_bench [--seconds N] [--line-length L]
//
// Measures for N seconds (default 10) with lines of L characters (default 38, so 40 bytes with
// CR LF): megabytes per second taken, lines per second reaching the debug list, and how late
// the program's one-second timer ticks came. Then checks that the debug list holds exactly 501
// lines, the newest a complete flood line, the flood lines in order without a gap and in step
// with the bytes counted: once as the run left it, and again after the module's link has gone
// down and the program has taken what was still on its way, together with its view, which must
// then show the same lines with the newest in view. Exits with 0 when it took at least 25 MB/s,
// no timer tick came more than 100 ms late and the list was exact. Needs root; everything it
// makes is removed at the end.
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
#include "bench/terminal_ingest/flood_lines.h"
#include "bench/terminal_ingest/view_check.h"
#include "platform/posix/winsock_errors.h"
#include "platform/qt/qt_window_system.h"
#include "resources/control_ids.h"
#include "tests/support/netns.h"
#include "tests/support/sim_process.h"
#include "tools/command_line/command_line.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kModuleAddress = "10.77.0.50";
constexpr double kAimMegabytesPerSecond = 25;
constexpr double kAimLatenessMs = 100;
constexpr int kListLines = 501;

struct Options {
  double Seconds = 10;
  int LineLength = 38;
};

// Nothing when the run is to go on, else the code to exit with (after --help or a fault).
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
  CommandLine line("terminal_ingest_bench");
  // Lines up to the program's line cap, so that every line arrives whole.
  line.Fraction("seconds", options.Seconds, 0.1, 3600, {"S", "how long to measure (default 10)"})
      .Number("line-length", options.LineLength, 9, 297,
              {"L", "characters of a line before CR LF (default 38)"});
  return line.ParseOrExitCode(argc, argv);
}

// The bytes read must be those of the flood lines up to the newest, plus at most the part of
// the next one that waits in the program's line buffer.
std::vector<std::string> CheckInStep(std::uint64_t shownNewest, int length, std::uint64_t bytes) {
  const std::uint64_t newest = UnwrapLineNumber(shownNewest, bytes, length);
  const std::uint64_t perLine = static_cast<std::uint64_t>(length) + 2;
  const std::uint64_t complete = newest * perLine;
  // The newest line's LF may still be on its way; the next line is at most partly read.
  if (bytes + 1 < complete || bytes >= complete + perLine - 1) {
    return {"bytes read (" + std::to_string(bytes) + ") are not those of lines 1.." +
            std::to_string(newest) + " and part of the next"};
  }
  return {};
}

// The list's lines against the flood and against the bytes the program read.
std::vector<std::string> CheckContent(const BenchProgram& program,
                                      const std::vector<std::string>& lines, int length,
                                      const std::string& otherLine, DebugListVerdict& verdict) {
  verdict = CheckDebugList(lines, kListLines, length, otherLine);
  if (!verdict.Faults.empty()) return verdict.Faults;
  return CheckInStep(verdict.NewestNumber, length, program.Counts().StreamBytes);
}

// Takes the module's link down and runs the loop until the program has read everything that
// was on its way (nothing more for a while).
bool Drain(BenchProgram& program, const std::string& gatewayNamespace) {
  if (!Shell("ip -n " + gatewayNamespace + " link set " + BenchNetwork::kGwInterface + " down"))
    return false;
  std::uint64_t last = program.Counts().StreamBytes;
  for (int quiet = 0; quiet < 3;) {
    program.RunFor(std::chrono::milliseconds(100));
    const std::uint64_t now = program.Counts().StreamBytes;
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
  return true;
}

// The total the program shows at its next tick, against the bytes it read (its counter is
// 32 bits wide).
std::vector<std::string> CheckCounted(BenchProgram& program) {
  const std::string before = program.Text(IdReceiveTotal);
  program.RunUntil([&] { return program.Text(IdReceiveTotal) != before; },
                   std::chrono::milliseconds(2500));
  const std::string shown = program.Text(IdReceiveTotal);
  const auto read = static_cast<std::uint32_t>(program.Counts().StreamBytes);
  if (shown == std::to_string(read)) return {};
  return {"the program shows " + shown + " bytes received, it read " + std::to_string(read)};
}

int Run(const Options& options, SimProcess& simulator, const std::string& gatewayNamespace) {
  BenchProgram program;
  QtWindowSystem& windows = program.Windows();
  if (!program.RunUntil([&] { return program.Text(IdGatewayCount) == "1"; },
                        std::chrono::seconds(5))) {
    std::fprintf(stderr, "the program did not find the simulated module\n");
    return 1;
  }
  // The operator's way: show the production controls, then "Connect" the module found.
  if (program.Text(IdExpandButton) == ">>" && !program.Click(IdExpandButton)) return 1;
  if (!program.Click(IdConnectButton)) {
    std::fprintf(stderr, "the Connect button cannot be clicked\n");
    return 1;
  }
  const auto connected = [&] { return program.Text(IdStateText) == "State: Connected"; };
  if (!program.RunUntil(connected, std::chrono::seconds(5))) {
    std::fprintf(stderr, "the program did not connect: %s\n",
                 windows.GetDlgItemText(IdStateText).c_str());
    return 1;
  }
  program.RunFor(std::chrono::milliseconds(1000));  // the flood under way; caches warm
  simulator.Pump(0);

  // The one line besides the module's that a read could add: a datagram read that would block.
  const std::string wouldBlock = WinSockReasonText(wsa::EWOULDBLOCK_);
  const Clock::time_point start = Clock::now();
  const std::uint64_t bytesBefore = program.Counts().StreamBytes;
  const std::uint64_t readsBefore = program.Counts().StreamReads;
  const std::uint64_t otherBefore = program.Counts().DatagramReadFailures;
  const std::uint64_t rssBefore = ResidentKiB();
  const double cpuBefore = ProcessCpuSeconds();
  const DebugListVerdict atStart =
      CheckDebugList(program.DebugLines(), kListLines, options.LineLength, wouldBlock);

  std::uint64_t rssMiddle = rssBefore;
  const auto runMs = static_cast<long>(options.Seconds * 1000);
  program.RunFor(std::chrono::milliseconds(runMs), std::chrono::milliseconds(100), [&] {
    if (Clock::now() - start <= std::chrono::milliseconds(runMs / 2)) rssMiddle = ResidentKiB();
  });
  const Clock::time_point end = Clock::now();
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  const std::uint64_t rssEnd = ResidentKiB();
  const std::uint64_t bytes = program.Counts().StreamBytes - bytesBefore;
  const std::uint64_t reads = program.Counts().StreamReads - readsBefore;
  const std::uint64_t other = program.Counts().DatagramReadFailures - otherBefore;
  const double seconds = std::chrono::duration<double>(end - start).count();

  // The content as the run left it; then, once nothing more comes, content and view.
  const std::vector<std::string> lines = program.DebugLines();
  DebugListVerdict verdict;
  std::vector<std::string> faults =
      CheckContent(program, lines, options.LineLength, wouldBlock, verdict);
  if (!Drain(program, gatewayNamespace)) faults.push_back("the module's link did not go down");
  const std::vector<std::string> drained = program.DebugLines();
  DebugListVerdict drainedVerdict;
  for (const std::string& f :
       CheckContent(program, drained, options.LineLength, wouldBlock, drainedVerdict))
    faults.push_back("after draining: " + f);
  for (const std::string& f : CheckCounted(program))
    faults.push_back("after draining: " + f);
  for (const std::string& f : CheckListView(windows.ControlWidget(IdDebugList), drained))
    faults.push_back("after draining: " + f);
  if (!program.Boxes().empty()) faults.push_back("message box: " + program.Boxes().back());
  if (!connected()) faults.push_back("the connection ended during the run");

  const BenchProgram::Lateness ticks = program.LatenessBetween(start, end);
  const double megabytes = static_cast<double>(bytes) / 1e6 / seconds;
  const double floodLines =
      static_cast<double>(
          UnwrapLineNumber(verdict.NewestNumber, bytesBefore + bytes, options.LineLength) -
          UnwrapLineNumber(atStart.NewestNumber, bytesBefore, options.LineLength)) /
      seconds;
  const double otherLines = static_cast<double>(other) / seconds;

  std::printf(
      "\nterminal_ingest_bench: %.1f s, lines of %d characters + CR LF, simulator "
      "unpaced\nmachine: %u processors, load average %.2f\n\n",
      seconds, options.LineLength, std::thread::hardware_concurrency(), LoadAverage());
  std::printf("  taken                 %10.2f MB/s  (%.2f MiB/s, %llu bytes)\n", megabytes,
              static_cast<double>(bytes) / 1048576.0 / seconds,
              static_cast<unsigned long long>(bytes));
  std::printf("  flood lines to list   %10.0f /s\n", floodLines);
  std::printf("  datagram reads failed %10.0f /s  (\"%s\", none listed)\n", otherLines,
              wouldBlock.c_str());
  std::printf("  stream reads          %10.0f /s  (%.0f bytes each)\n",
              static_cast<double>(reads) / seconds,
              reads > 0 ? static_cast<double>(bytes) / static_cast<double>(reads) : 0.0);
  std::printf("  program CPU           %10.2f s   (%.2f MB per CPU second)\n", cpu,
              cpu > 0 ? static_cast<double>(bytes) / 1e6 / cpu : 0.0);
  std::printf("  timer ticks           %10d     worst %.1f ms late, mean %.1f ms\n", ticks.Ticks,
              ticks.WorstMs, ticks.MeanMs);
  std::printf("  resident KiB          %10llu / %llu / %llu (start / middle / end)\n",
              static_cast<unsigned long long>(rssBefore),
              static_cast<unsigned long long>(rssMiddle), static_cast<unsigned long long>(rssEnd));
  std::printf(
      "  debug list            %10s     %d lines: %d flood, %d other; newest flood "
      "line %llu (%llu once drained)\n",
      faults.empty() ? "exact" : "WRONG", static_cast<int>(lines.size()), verdict.FloodLines,
      verdict.OtherLines, static_cast<unsigned long long>(verdict.NewestNumber),
      static_cast<unsigned long long>(drainedVerdict.NewestNumber));
  for (const std::string& fault : faults)
    std::printf("      %s\n", fault.c_str());

  const bool fast = megabytes >= kAimMegabytesPerSecond;
  const bool punctual = ticks.Ticks > 0 && ticks.WorstMs <= kAimLatenessMs;
  std::printf("\n  >= %.0f MB/s of %d-byte lines: %s\n", kAimMegabytesPerSecond,
              options.LineLength + 2, fast ? "met" : "NOT MET");
  std::printf("  timer ticks <= %.0f ms late:   %s\n", kAimLatenessMs,
              punctual ? "met" : "NOT MET");
  std::printf("  debug list exact:             %s\n", faults.empty() ? "met" : "NOT MET");

  program.Click(IdConnectButton);  // disconnect, as the operator would
  simulator.Pump(0);
  return fast && punctual && faults.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> exit = ParseOptions(argc, argv, options)) return *exit;
  if (!BenchNetwork::Possible("terminal_ingest_bench")) return 0;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  BenchNetwork namespaces("vbti-", {kModuleAddress});
  if (!namespaces.Ready()) {
    std::fprintf(stderr, "could not make the network namespaces\n");
    return 1;
  }
  SimProcess simulator(
      namespaces.Gw,
      {"--interface", BenchNetwork::kGwInterface, "--gateways", "1", "--ip-base", kModuleAddress,
       "--tcp-mode", "flood", "--line-length", std::to_string(options.LineLength), "--rate", "0"});
  if (!simulator.Ready()) {
    std::fprintf(stderr, "the gateway simulator did not start\n");
    return 1;
  }
  InNamespace inside(namespaces.Pc);
  if (!inside.Entered) {
    std::fprintf(stderr, "could not enter %s\n", namespaces.Pc.c_str());
    return 1;
  }
  return Run(options, simulator, namespaces.Gw);
}
