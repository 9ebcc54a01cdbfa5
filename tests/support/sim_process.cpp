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

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// "key=a.b.c.d:port" of a line into `out`.
void ParseEndpoint(const std::string& line, const std::string& key, sockaddr_in& out) {
  const std::size_t at = line.find(key);
  const std::size_t colon = line.find(':', at);
  if (at == std::string::npos || colon == std::string::npos) return;
  const std::string address = line.substr(at + key.size(), colon - at - key.size());
  if (inet_pton(AF_INET, address.c_str(), &out.sin_addr) != 1) return;
  out.sin_family = AF_INET;
  out.sin_port = htons(static_cast<std::uint16_t>(std::atoi(line.c_str() + colon + 1)));
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {GATEWAY_SIM_PATH, "--bind", "127.0.0.1", "--udp-port", "0",
                                   "--tcp-port",     "0"};
  args.insert(args.end(), extra.begin(), extra.end());
  Launch(std::move(args));
}

SimProcess::SimProcess(const std::string& netns, const std::vector<std::string>& args) {
  std::vector<std::string> command = {"/usr/bin/env", "ip",  "netns",
                                      "exec",         netns, GATEWAY_SIM_PATH};
  command.insert(command.end(), args.begin(), args.end());
  Launch(std::move(command));
}

void SimProcess::Launch(std::vector<std::string> args) {
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
  const std::string ready = TakeLine("ready", {}, 5000);
  ParseEndpoint(ready, "udp=", udp_);
  ParseEndpoint(ready, "tcp=", tcp_);
}

SimProcess::~SimProcess() {
  if (pid_ > 0) Stop(SIGTERM);  // falls back to SIGKILL if it does not stop
  if (out_ >= 0) close(out_);
}

void SimProcess::Pump(int timeoutMs) {
  pollfd p{out_, POLLIN, 0};
  if (out_ < 0 || poll(&p, 1, timeoutMs) <= 0) return;
  char chunk[8192];
  const ssize_t got = read(out_, chunk, sizeof chunk);
  if (got == 0) {  // the simulator is gone; stop polling a closed pipe
    close(out_);
    out_ = -1;
  }
  if (got <= 0) return;
  partial_.append(chunk, static_cast<std::size_t>(got));
  for (std::size_t newline; (newline = partial_.find('\n')) != std::string::npos;) {
    lines_.push_back(partial_.substr(0, newline));
    taken_.push_back(false);
    partial_.erase(0, newline + 1);
  }
}

std::string SimProcess::TakeLine(std::string_view event,
                                 std::initializer_list<std::string_view> parts, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (std::size_t checked = 0;; Pump(Remaining(deadline))) {
    for (; checked < lines_.size(); ++checked) {
      // The event is the second word: after the time, before a blank or the end.
      const std::string& line = lines_[checked];
      bool match =
          !taken_[checked] && (line + ' ').find(' ' + std::string(event) + ' ') == line.find(' ');
      for (const std::string_view part : parts)
        match = match && line.find(part) != std::string::npos;
      if (!match) continue;
      taken_[checked] = true;
      return line;
    }
    if (out_ < 0 || Clock::now() >= deadline) return {};
  }
}

int SimProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  // The simulator's exit closes the pipe; wait for that rather than for a fixed time.
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(3);
  while (out_ >= 0 && Clock::now() < deadline)
    Pump(Remaining(deadline));
  if (out_ >= 0) kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
