#include "tests/support/netns.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "protocol/text_values.h"

namespace {

// What the signal handler needs, prepared beforehand: it may only fork, exec, kill and wait.
constexpr std::size_t kNameRoom = 64;
constexpr std::size_t kMaxNames = 8;
constexpr std::size_t kMaxChildren = 8;
char gNames[kMaxNames][kNameRoom];
volatile sig_atomic_t gNameCount = 0;
volatile pid_t gChildren[kMaxChildren];

void DeleteNamespace(const char* name) {
  const pid_t pid = fork();
  if (pid == 0) {
    char env[] = "/usr/bin/env", ip[] = "ip", netns[] = "netns", del[] = "del";
    char* argv[] = {env, ip, netns, del, const_cast<char*>(name), nullptr};
    char* envp[] = {nullptr};
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
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
    if (gNames[i][0] != 0) DeleteNamespace(gNames[i]);
  _exit(128 + signal);
}

void RemoveOnSignals() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

// Namespaces of the prefix whose process is gone.
void RemoveStale(const std::string& prefix) {
  DIR* dir = opendir("/var/run/netns");
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind(prefix, 0) != 0) continue;
    const auto pid = ParseNumber<pid_t>(std::string_view(name).substr(prefix.size()));
    if (pid && *pid > 0 && kill(*pid, 0) != 0 && errno == ESRCH) stale.push_back(name);
  }
  closedir(dir);
  for (const std::string& name : stale)
    Shell("ip netns del " + name);
}

}  // namespace

bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool CanMakeNamespaces() {
  return geteuid() == 0 && Shell("ip -V");
}

NamespaceLab::~NamespaceLab() {
  Remove();
}

bool NamespaceLab::Step(bool done) {
  Ok = Ok && done;
  return done;
}

std::string NamespaceLab::Add(const std::string& prefix) {
  RemoveStale(prefix);
  const std::string name = prefix + std::to_string(getpid());
  const bool made = Shell("ip netns add " + name);
  if (made) {
    Names.push_back(name);
    const auto slot = static_cast<std::size_t>(gNameCount);
    if (slot < kMaxNames) {
      std::snprintf(gNames[slot], kNameRoom, "%s", name.c_str());
      gNameCount = static_cast<sig_atomic_t>(slot + 1);
    }
    RemoveOnSignals();
  }
  Step(made && Shell("ip -n " + name + " link set lo up"));
  return name;
}

bool NamespaceLab::Link(const std::string& aSpace, const std::string& a, const std::string& bSpace,
                        const std::string& b) {
  return Step(Shell("ip link add " + a + " netns " + aSpace + " type veth peer name " + b +
                    " netns " + bSpace) &&
              Shell("ip -n " + aSpace + " link set " + a + " up") &&
              Shell("ip -n " + bSpace + " link set " + b + " up"));
}

bool NamespaceLab::Address(const std::string& space, const std::string& interface,
                           const std::string& cidr, bool broadcast, const std::string& label) {
  std::string command = "ip -n " + space + " addr add " + cidr;
  if (broadcast) command += " brd +";
  command += " dev " + interface;
  if (!label.empty()) command += " label " + label;
  return Step(Shell(command));
}

void NamespaceLab::Remove() {
  for (const std::string& name : Names) {
    for (int i = 0; i < gNameCount; ++i)
      if (name == gNames[i]) gNames[i][0] = 0;  // the signal handler passes it over
    Shell("ip netns del " + name);
  }
  Names.clear();
}

void NamespaceLab::WatchChild(pid_t pid) {
  for (std::size_t i = 0; i < kMaxChildren; ++i) {
    if (gChildren[i] <= 0) {
      gChildren[i] = pid;
      return;
    }
  }
}

void NamespaceLab::ForgetChild(pid_t pid) {
  for (std::size_t i = 0; i < kMaxChildren; ++i)
    if (gChildren[i] == pid) gChildren[i] = 0;
}

InNamespace::InNamespace(const std::string& name) {
  Original = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  const int target = open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
  Entered = Original >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
  if (target >= 0) close(target);
}

InNamespace::~InNamespace() {
  if (Entered && setns(Original, CLONE_NEWNET) != 0) std::abort();  // never go on elsewhere
  if (Original >= 0) close(Original);
}
