#include "tests/support/netns.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifndef SO_NETNS_COOKIE
#define SO_NETNS_COOKIE 71
#endif

bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool CanMakeNamespaces() {
  return geteuid() == 0 && Shell("ip -V");
}

std::string TestNamespaceName(const char* prefix) {
  return prefix + std::to_string(getpid());
}

void RemoveStaleNamespaces(std::initializer_list<const char*> prefixes) {
  DIR* dir = opendir("/var/run/netns");
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    for (const char* prefix : prefixes) {
      if (name.rfind(prefix, 0) != 0) continue;
      const long pid = std::strtol(name.c_str() + std::strlen(prefix), nullptr, 10);
      if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        stale.push_back(name);
      }
    }
  }
  closedir(dir);
  for (const std::string& name : stale)
    Shell("ip netns del " + name);
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

std::uint64_t NamespaceCookie(int fd) {
  std::uint64_t cookie = 0;
  socklen_t length = sizeof cookie;
  if (getsockopt(fd, SOL_SOCKET, SO_NETNS_COOKIE, &cookie, &length) != 0) return 0;
  return cookie;
}

std::uint64_t CookieOfNamespace(const std::string& name) {
  InNamespace inside(name);
  if (!inside.Entered) return 0;
  const int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const std::uint64_t cookie = NamespaceCookie(probe);
  close(probe);
  return cookie;
}
