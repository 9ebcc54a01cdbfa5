// Start-up of the program's window against a bare Qt window built from the same template, in
// one run: time from process start to the first painted frame, and peak memory (resident set)
// of the process. Each mode starts many times, interleaved, and the medians are compared.
//
//   startup_bench [--runs N] [--netns]
//
// --netns runs every start inside a network namespace made for the run, joined by a veth pair
// to a namespace where the gateway simulator answers the program's search with three modules,
// and adds the program on real sockets ("program-posix"). Needs root; everything it makes is
// removed at the end. Without it the program uses in-memory sockets and nothing touches a
// network.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/common/bench_network.h"
#include "tools/command_line/command_line.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
  double Ms;
  double PeakMiB;
};

// Starts the probe, waits for its "frame" line, then for its exit.
bool StartOnce(const std::vector<std::string>& command, Sample& sample) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  std::vector<char*> argv;
  std::vector<std::string> args = command;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string got;
  char buffer[256];
  bool framed = false;
  while (!framed) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 20000) <= 0) break;
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
    framed = got.find("frame\n") != std::string::npos;
  }
  const Clock::time_point framedAt = Clock::now();
  close(out[0]);
  int status = 0;
  rusage usage{};
  if (!framed) kill(pid, SIGKILL);
  wait4(pid, &status, 0, &usage);
  sample.Ms = std::chrono::duration<double, std::milli>(framedAt - start).count();
  sample.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return framed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0 : (n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 15;
  bool netns = false;
  CommandLine line("startup_bench");
  line.Number("runs", runs, 2, 1000,
              "starts of each mode, the first to warm the caches (default 15)")
      .Flag("netns", netns, "also start the program on real sockets, in namespaces (needs root)");
  if (const std::optional<int> exit = line.ParseOrExitCode(argc, argv)) return *exit;

  std::vector<std::string> modes = {"bare", "program"};
  std::vector<std::string> prefix;
  std::unique_ptr<BenchNetwork> network;
  pid_t simulator = -1;
  if (netns) {
    if (!CanMakeNamespaces()) {
      std::fprintf(stderr, "--netns needs root and iproute2\n");
      return 2;
    }
    network = std::make_unique<BenchNetwork>("vbst-", std::vector<std::string>{});
    if (!network->Ready()) {
      std::fprintf(stderr, "could not make the namespaces\n");
      return 2;
    }
    simulator = fork();
    if (simulator == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      execlp("ip", "ip", "netns", "exec", network->Gw.c_str(), GATEWAY_SIM_PATH, "--interface",
             BenchNetwork::kGwInterface, "--gateways", "3", "--ip-base", "10.77.0.50", "--reply",
             "broadcast", static_cast<char*>(nullptr));
      _exit(127);
    }
    NamespaceLab::WatchChild(simulator);
    prefix = {"ip", "netns", "exec", network->Pc};
    modes.push_back("program-posix");
  }

  std::map<std::string, std::vector<Sample>> samples;
  bool failed = false;
  for (int run = 0; run < runs && !failed; ++run) {
    for (const std::string& mode : modes) {
      std::vector<std::string> command = prefix;
      command.push_back(STARTUP_PROBE_PATH);
      command.push_back(mode);
      Sample sample{};
      if (!StartOnce(command, sample)) {
        std::fprintf(stderr, "%s did not show its first frame\n", mode.c_str());
        failed = true;
        break;
      }
      if (run > 0) samples[mode].push_back(sample);  // the first start warms the caches
    }
  }

  if (simulator > 0) {
    kill(simulator, SIGTERM);
    waitpid(simulator, nullptr, 0);
    NamespaceLab::ForgetChild(simulator);
  }
  network.reset();
  if (failed) return 1;

  std::printf("%-14s %5s %12s %9s %16s\n", "mode", "runs", "median ms", "min ms", "peak RSS MiB");
  std::map<std::string, std::pair<double, double>> medians;
  for (const std::string& mode : modes) {
    std::vector<double> ms, mib;
    for (const Sample& s : samples[mode]) {
      ms.push_back(s.Ms);
      mib.push_back(s.PeakMiB);
    }
    medians[mode] = {Median(ms), Median(mib)};
    std::printf("%-14s %5zu %12.1f %9.1f %16.1f\n", mode.c_str(), ms.size(), Median(ms),
                *std::min_element(ms.begin(), ms.end()), Median(mib));
  }
  for (const std::string& mode : modes) {
    if (mode == "bare") continue;
    std::printf("ratio %s / bare: time %.2f, peak memory %.2f\n", mode.c_str(),
                medians[mode].first / medians["bare"].first,
                medians[mode].second / medians["bare"].second);
  }
  return 0;
}
