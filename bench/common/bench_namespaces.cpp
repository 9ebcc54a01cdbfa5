#include "bench/common/bench_namespaces.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "tests/support/netns.h"

namespace {

// What the signal handler needs, prepared beforehand: it may only fork, exec, kill and wait.
constexpr std::size_t kNameRoom = 64;
constexpr std::size_t kMaxChildren = 8;
char gNames[2][kNameRoom];
volatile sig_atomic_t gNameCount = 0;
volatile pid_t gChildren[kMaxChildren];

void RemoveNamed(const char* name) {
  const pid_t pid = fork();
  if (pid == 0) {
    char env[] = "/usr/bin/env", ip[] = "ip", netns[] = "netns", del[] = "del";
    char* argv[] = {env, ip, netns, del, const_cast<char*>(name), nullptr};
    char* envp[] = {nullptr};
    execve(env, argv, envp);
    _exit(127);
  }
  if (pid > 0) waitpid(pid, nullptr, 0);
}

void OnTerminate(int signal) {
  for (std::size_t i = 0; i < kMaxChildren; ++i) {
    if (gChildren[i] > 0) {
      kill(gChildren[i], SIGKILL);
      waitpid(gChildren[i], nullptr, 0);
    }
  }
  for (int i = 0; i < gNameCount; ++i)
    RemoveNamed(gNames[i]);
  _exit(128 + signal);
}

void Remember(const std::string& pc, const std::string& gw) {
  std::snprintf(gNames[0], kNameRoom, "%s", pc.c_str());
  std::snprintf(gNames[1], kNameRoom, "%s", gw.c_str());
  gNameCount = 2;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

}  // namespace

void BenchNamespaces::WatchChild(pid_t pid) {
  for (std::size_t i = 0; i < kMaxChildren; ++i) {
    if (gChildren[i] <= 0) {
      gChildren[i] = pid;
      return;
    }
  }
}

void BenchNamespaces::ForgetChild(pid_t pid) {
  for (std::size_t i = 0; i < kMaxChildren; ++i)
    if (gChildren[i] == pid) gChildren[i] = 0;
}

BenchNamespaces::BenchNamespaces(const std::string& prefix,
                                 const std::vector<std::string>& extraGwAddresses) {
  const std::string pcPrefix = prefix + "pc-", gwPrefix = prefix + "gw-";
  RemoveStaleNamespaces({pcPrefix.c_str(), gwPrefix.c_str()});
  PcName = TestNamespaceName(pcPrefix.c_str());
  GwName = TestNamespaceName(gwPrefix.c_str());
  Remember(PcName, GwName);

  const std::string pc = "ip -n " + PcName + " ", gw = "ip -n " + GwName + " ";
  Made = Shell("ip netns add " + PcName) && Shell("ip netns add " + GwName) &&
         Shell("ip link add " + std::string(kPcInterface) + " netns " + PcName +
               " type veth peer name " + kGwInterface + " netns " + GwName) &&
         Shell(pc + "addr add " + kPcAddress + "/24 brd + dev " + kPcInterface) &&
         Shell(gw + "addr add " + kGwAddress + "/24 brd + dev " + kGwInterface);
  for (const std::string& address : extraGwAddresses)
    Made = Made && Shell(gw + "addr add " + address + "/24 dev " + kGwInterface);
  Made = Made && Shell(pc + "link set lo up") && Shell(gw + "link set lo up") &&
         Shell(pc + "link set " + kPcInterface + " up") &&
         Shell(gw + "link set " + kGwInterface + " up");
  if (!Made) Remove();
}

BenchNamespaces::~BenchNamespaces() {
  Remove();
}

void BenchNamespaces::Remove() {
  gNameCount = 0;
  Shell("ip netns del " + PcName);
  Shell("ip netns del " + GwName);
}
