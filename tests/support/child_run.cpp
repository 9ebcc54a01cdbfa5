#include "tests/support/child_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

using Clock = std::chrono::steady_clock;

ChildResult RunChild(const std::string& netns, std::vector<std::string> argv,
                     const std::vector<std::string>& env, int boundMs) {
  ChildResult result;
  if (!netns.empty()) argv.insert(argv.begin(), {"/usr/bin/env", "ip", "netns", "exec", netns});
  std::vector<std::string> settings = env;
  std::vector<char*> args, extra;
  for (std::string& a : argv)
    args.push_back(a.data());
  args.push_back(nullptr);
  for (std::string& e : settings)
    extra.push_back(e.data());

  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return result;
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return result;
  }
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    const int none = open("/dev/null", O_RDONLY);
    dup2(none, STDIN_FILENO);
    for (char* e : extra)
      putenv(e);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  if (pid < 0) {
    close(out[0]);
    close(err[0]);
    return result;
  }

  const Clock::time_point deadline = start + std::chrono::milliseconds(boundMs);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&result.Out, &result.Err};
  bool killed = false;
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[4096];
      const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        into[i]->append(chunk, static_cast<std::size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
  }
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  result.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  result.Milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (!killed && WIFEXITED(status)) result.Status = WEXITSTATUS(status);
  return result;
}
