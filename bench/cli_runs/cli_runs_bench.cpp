// Run times of vellora-cli's commands against the gateway simulator, end to end: from the
// process's start to its exit, search and request included, as a production script sees them.
//
//   cli_runs_bench [--runs N]
//
// Runs inside two network namespaces made for the run (needs root), the simulator answering
// with three modules; everything it makes is removed at the end. The last row is the user
// guide's line cycle for one module, as a station runs it: its script as it stands there, against
// one module, with a label that matches.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/common/bench_network.h"
#include "tests/support/child_run.h"
#include "tests/support/readme_block.h"
#include "tests/support/sim_process.h"
#include "tools/command_line/command_line.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Command {
  std::string Label;
  // The arguments of the next run (a command may need what the last run gave).
  std::function<std::vector<std::string>()> Args;
  const char* Request;  // the request the simulator must have received, or nothing
  std::function<void(const std::string& out)> After = nullptr;
};

void PrintRow(const std::string& label, const std::vector<double>& ms,
              const std::vector<double>& mib) {
  std::printf("%-30s %5zu %10.1f %8.1f %8.1f %14.1f\n", label.c_str(), ms.size(), Median(ms),
              *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
              Median(mib));
}

// The user guide's line cycle, `runs` modules after one to warm the caches; 0, or 1 on a failure.
int RunLineCycle(const BenchNetwork& network, const std::string& folder, int runs) {
  std::string script;
  for (const std::string& line : DocumentBlock(VELLORA_GUIDE, "line-cycle"))
    script += line + "\n";
  std::ofstream(folder + "/cycle.sh") << script;
  const std::string counter = folder + "/cycle-serial";
  std::ofstream(counter) << "4096\n";
  SimProcess sim(network.Gw, {"--interface", BenchNetwork::kGwInterface, "--gateways", "1",
                              "--ip-base", "10.77.0.50"});
  if (script.empty() || !sim.Ready()) {
    std::fprintf(stderr, "the guide's line cycle cannot run\n");
    return 1;
  }
  const std::string cli = VELLORA_CLI_PATH;
  const std::vector<std::string> env = {
      "PATH=" + cli.substr(0, cli.rfind('/')) + ":/usr/sbin:/usr/bin:/sbin:/bin",
      std::string("IFACE=") + BenchNetwork::kPcInterface, "COUNTER=" + counter,
      "LOG=" + folder + "/cycle.log"};
  std::vector<double> ms, mib;
  for (int run = 0; run <= runs; ++run) {
    char label[16];
    std::snprintf(label, sizeof label, "0A0B0C%06X", 4096 + run);
    const ChildResult result = RunChild(
        network.Pc,
        {"/bin/sh", "-c", std::string("echo ") + label + " | sh " + folder + "/cycle.sh"}, env);
    if (result.Status != 0) {
      std::fprintf(stderr, "line cycle failed (status %d): %s", result.Status, result.Err.c_str());
      return 1;
    }
    if (run == 0) continue;
    ms.push_back(result.Milliseconds);
    mib.push_back(result.PeakMiB);
  }
  PrintRow("line cycle (user guide)", ms, mib);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  CommandLine line("cli_runs_bench");
  line.Number("runs", runs, 1, 1000, "runs of each command after one to warm the caches");
  if (const std::optional<int> exit = line.ParseOrExitCode(argc, argv)) return *exit;
  if (!BenchNetwork::Possible("cli_runs_bench")) return 0;

  BenchNetwork network("vbcl-", {"10.77.0.50", "10.77.0.51", "10.77.0.52"});
  if (!network.Ready()) {
    std::fprintf(stderr, "could not make the namespaces\n");
    return 2;
  }
  SimProcess sim(network.Gw, {"--interface", BenchNetwork::kGwInterface, "--gateways", "3",
                              "--ip-base", "10.77.0.50"});
  if (!sim.Ready()) {
    std::fprintf(stderr, "the simulator did not start\n");
    return 2;
  }
  char folder[] = "/tmp/vellora-cli-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 2;
  const std::string counter = std::string(folder) + "/serial";
  std::ofstream(counter) << "1000\n";

  std::string assigned = "02:00:00:00:00:03";  // module 3 gets a new MAC at every run
  bool toggle = false;
  const std::vector<Command> commands = {
      {"search --wait 0.5",
       [] {
         return std::vector<std::string>{"search", "--wait", "0.5"};
       },
       "SearchRequest"},
      {"search --wait 0.2",
       [] {
         return std::vector<std::string>{"search", "--wait", "0.2"};
       },
       "SearchRequest"},
      {"verify --wait 0.5",
       [] {
         return std::vector<std::string>{"verify", "020000000001", "--wait", "0.5"};
       },
       "SearchRequest"},
      {"set --wait 0.5",
       [] {
         return std::vector<std::string>{"set", "02:00:00:00:00:01", "name=bench", "--wait", "0.5"};
       },
       "SetConfigRequest"},
      {"eeprom --wait 0.5",
       [] {
         return std::vector<std::string>{"eeprom", "02:00:00:00:00:02", "10", "AB", "--wait",
                                         "0.5"};
       },
       "SetEepromRequest"},
      {"assign --wait 0.5",
       [&] {
         return std::vector<std::string>{"assign",        assigned, "--prefix", "0A:0B:0C",
                                         "--serial-file", counter,  "--wait",   "0.5"};
       },
       "SetMacRequest", [&](const std::string& out) { assigned = out.substr(0, 17); }},
      {"set-mac --confirm --wait 0.5",
       [&] {
         toggle = !toggle;
         return std::vector<std::string>{"set-mac",
                                         toggle ? "02:00:00:00:00:02" : "02:00:00:00:00:22",
                                         toggle ? "02:00:00:00:00:22" : "02:00:00:00:00:02",
                                         "--confirm",
                                         "--wait",
                                         "0.5"};
       },
       "SetMacRequest"},
  };

  std::printf("%-30s %5s %10s %8s %8s %14s\n", "command", "runs", "median ms", "min ms", "max ms",
              "peak RSS MiB");
  int status = 0;
  for (const Command& command : commands) {
    std::vector<double> ms, mib;
    for (int run = 0; run <= runs; ++run) {
      std::vector<std::string> args = command.Args();
      args.insert(args.begin(), VELLORA_CLI_PATH);
      args.insert(args.end(), {"--address", BenchNetwork::kPcAddress});
      const ChildResult result = RunChild(network.Pc, args);
      const bool arrived = !sim.TakeLine("rx", {std::string("cmd=") + command.Request}).empty();
      if (result.Status != 0 || !arrived) {
        std::fprintf(stderr, "%s failed (status %d): %s", command.Label.c_str(), result.Status,
                     result.Err.c_str());
        status = 1;
        break;
      }
      if (command.After) command.After(result.Out);
      if (run == 0) continue;  // warms the caches
      ms.push_back(result.Milliseconds);
      mib.push_back(result.PeakMiB);
    }
    if (ms.empty()) continue;
    PrintRow(command.Label, ms, mib);
  }
  sim.Stop(SIGTERM);  // the cycle's module takes its place
  if (status == 0) status = RunLineCycle(network, folder, runs);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return status;
}
