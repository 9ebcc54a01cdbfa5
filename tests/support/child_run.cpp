#include "tests/support/child_run.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

double NowMs() {
  return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// From here on (and in what the process executes), tying a socket to an interface fails with
// EPERM, as it does for a user without the right on older kernels. False where it cannot be
// arranged.
bool DenyInterfaceBinding() {
#if defined(__x86_64__)
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_setsockopt, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[1])),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SOL_SOCKET, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SO_BINDTODEVICE, 1, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SO_BINDTOIFINDEX, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#else
  return false;
#endif
}

}  // namespace

bool CanDenyInterfaceBinding() {
#if defined(__x86_64__)
  return true;
#else
  return false;
#endif
}

ChildProcess::ChildProcess(const std::string& netns, std::vector<std::string> argv,
                           const std::vector<std::string>& env, bool input, ChildLimit limit) {
  if (!netns.empty()) argv.insert(argv.begin(), {"/usr/bin/env", "ip", "netns", "exec", netns});
  std::vector<std::string> settings = env;
  std::vector<char*> args;
  for (std::string& a : argv)
    args.push_back(a.data());
  args.push_back(nullptr);
  int out[2] = {-1, -1}, err[2] = {-1, -1}, in[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 ||
      (input && pipe2(in, O_CLOEXEC) != 0)) {
    for (const int fd : {out[0], out[1], err[0], err[1], in[0], in[1]})
      if (fd >= 0) close(fd);
    return;
  }
  StartMs = NowMs();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    dup2(input ? in[0] : open("/dev/null", O_RDONLY), STDIN_FILENO);
    for (std::string& e : settings)
      putenv(e.data());
    if (limit == ChildLimit::NoInterfaceBinding && !DenyInterfaceBinding()) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
  for (const int fd : {out[1], err[1], in[0]})
    if (fd >= 0) close(fd);
  Stdin = in[1];
  Streams[0] = out[0];
  Streams[1] = err[0];
  Pid = pid;  // -1 when the fork failed
}

ChildProcess::~ChildProcess() {
  Finish(0);
  for (int& fd : Streams) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void ChildProcess::Signal(int signal) const {
  if (Pid > 0) kill(Pid, signal);
}

bool ChildProcess::Pump(int waitMs) {
  pollfd fds[2] = {{Streams[0], POLLIN, 0}, {Streams[1], POLLIN, 0}};
  if (fds[0].fd < 0 && fds[1].fd < 0) return false;
  if (poll(fds, 2, waitMs) <= 0) return true;
  std::string* into[2] = {&Result.Out, &Result.Err};
  for (int i = 0; i < 2; ++i) {
    if (fds[i].fd < 0 || fds[i].revents == 0) continue;
    char chunk[4096];
    const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
    if (got > 0) {
      into[i]->append(chunk, static_cast<std::size_t>(got));
    } else {
      close(Streams[i]);
      Streams[i] = -1;
    }
  }
  return true;
}

bool ChildProcess::WaitForOutput(const std::string& text, int boundMs) {
  return WaitFor(
      [&] {
        return Result.Out.find(text) != std::string::npos ||
               Result.Err.find(text) != std::string::npos;
      },
      boundMs);
}

bool ChildProcess::WaitFor(const std::function<bool()>& written, int boundMs) {
  const double deadline = NowMs() + boundMs;
  for (;;) {
    if (written()) return true;
    const double left = deadline - NowMs();
    if (left <= 0 || !Pump(static_cast<int>(left) + 1)) return false;
  }
}

bool ChildProcess::Input(const std::string& text) {
  if (Stdin < 0) return false;
  // A child that ended would make the write raise SIGPIPE, which ends the test: it is held
  // for this thread, and taken back if it came.
  sigset_t pipeSignal, before;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
  const ssize_t written = write(Stdin, text.data(), text.size());
  const timespec now{0, 0};
  if (written < 0) sigtimedwait(&pipeSignal, nullptr, &now);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return written == static_cast<ssize_t>(text.size());
}

ChildResult ChildProcess::Finish(int boundMs) {
  if (Stdin >= 0) close(std::exchange(Stdin, -1));  // a child that reads on sees the end
  if (Pid <= 0) return Result;
  const double deadline = NowMs() + boundMs;
  bool killed = false;
  for (;;) {
    const double left = deadline - NowMs();
    if (left <= 0) {
      kill(Pid, SIGKILL);
      killed = true;
      break;
    }
    if (!Pump(static_cast<int>(left) + 1)) break;
  }
  int status = 0;
  rusage usage{};
  wait4(Pid, &status, 0, &usage);
  Pid = -1;
  Result.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  Result.Milliseconds = NowMs() - StartMs;
  if (!killed && WIFEXITED(status)) Result.Status = WEXITSTATUS(status);
  return Result;
}

ChildResult RunChild(const std::string& netns, std::vector<std::string> argv,
                     const std::vector<std::string>& env, int boundMs) {
  ChildProcess child(netns, std::move(argv), env);
  return child.Finish(boundMs);
}
