#include "tests/support/sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <utility>

using Clock = std::chrono::steady_clock;

SimProcess::SimProcess(const std::string& netns, std::vector<std::string> args) {
  if (netns.empty())
    args.insert(args.begin(), {"--bind", "127.0.0.1", "--udp-port", "0", "--tcp-port", "0"});
  args.insert(args.begin(), GATEWAY_SIM_PATH);
  if (!netns.empty()) args.insert(args.begin(), {"/usr/bin/env", "ip", "netns", "exec", netns});
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a crashed test
    dup2(pipeFds[1], STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  out_ = pipeFds[0];
  ready_ = TakeLine("ready", {}, 5000);
}

SimProcess::~SimProcess() {
  Stop(SIGTERM);  // falls back to SIGKILL if it does not stop
  if (out_ >= 0) close(out_);
}

std::uint16_t SimProcess::Port(std::string_view key) const {
  const std::size_t colon = ready_.find(':', ready_.find(' ' + std::string(key) + '='));
  const int port = colon == std::string::npos ? 0 : std::atoi(ready_.c_str() + colon + 1);
  return htons(static_cast<std::uint16_t>(port));
}

void SimProcess::Pump(int timeoutMs) {
  pollfd p{out_, POLLIN, 0};
  if (out_ < 0 || poll(&p, 1, timeoutMs) <= 0) return;
  char chunk[8192];
  const ssize_t got = read(out_, chunk, sizeof chunk);
  if (got == 0) close(std::exchange(out_, -1));  // the simulator is gone: stop polling
  if (got <= 0) return;
  partial_.append(chunk, static_cast<std::size_t>(got));
  for (std::size_t newline; (newline = partial_.find('\n')) != std::string::npos;) {
    lines_.push_back(partial_.substr(0, newline));
    partial_.erase(0, newline + 1);
  }
}

std::ptrdiff_t SimProcess::Find(std::string_view event,
                                std::initializer_list<std::string_view> parts, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (std::size_t checked = 0;;) {
    for (; checked < lines_.size(); ++checked) {
      // The event is the second word: after the time, before a blank or the end.
      const std::string& line = lines_[checked];
      bool match = (line.substr(line.find(' ') + 1) + ' ').rfind(std::string(event) + ' ', 0) == 0;
      for (const std::string_view part : parts)
        match = match && line.find(part) != std::string::npos;
      if (match) return static_cast<std::ptrdiff_t>(checked);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (out_ < 0 || left.count() <= 0) return -1;
    Pump(static_cast<int>(left.count()));
  }
}

std::string SimProcess::TakeLine(std::string_view event,
                                 std::initializer_list<std::string_view> parts, int timeoutMs) {
  const std::ptrdiff_t at = Find(event, parts, timeoutMs);
  if (at < 0) return {};
  std::string taken = std::move(lines_[static_cast<std::size_t>(at)]);
  lines_.erase(lines_.begin() + at);
  return taken;
}

std::optional<std::vector<std::string>> SimProcess::TakeBefore(
    std::string_view event, std::initializer_list<std::string_view> parts, int timeoutMs) {
  const std::ptrdiff_t at = Find(event, parts, timeoutMs);
  if (at < 0) return std::nullopt;
  std::vector<std::string> before(lines_.begin(), lines_.begin() + at);
  lines_.erase(lines_.begin(), lines_.begin() + at + 1);
  return before;
}

int SimProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  // The simulator's exit closes the pipe; wait for that (no line holds a line end as its event).
  TakeLine("\n", {}, 3000);
  if (out_ >= 0) kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
