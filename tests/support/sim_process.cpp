#include "tests/support/sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int Remaining(std::int64_t deadline) {
  const std::int64_t left = deadline - NowMs();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool ParseEndpoint(const std::string& line, const char* key, sockaddr_in& out) {
  const std::size_t at = line.find(key);
  if (at == std::string::npos) return false;
  const std::string value =
      line.substr(at + std::strlen(key), line.find(' ', at) - at - std::strlen(key));
  const std::size_t colon = value.rfind(':');
  if (colon == std::string::npos) return false;
  out.sin_family = AF_INET;
  if (inet_pton(AF_INET, value.substr(0, colon).c_str(), &out.sin_addr) != 1) return false;
  out.sin_port = htons(static_cast<std::uint16_t>(std::atoi(value.c_str() + colon + 1)));
  return true;
}

bool HasEvent(const std::string& line, std::string_view event) {
  const std::size_t blank = line.find(' ');
  if (blank == std::string::npos) return false;
  return line.compare(blank + 1, event.size(), event) == 0 &&
         (line.size() == blank + 1 + event.size() || line[blank + 1 + event.size()] == ' ');
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
  if (!ParseEndpoint(ready, "udp=", udp_)) udp_ = sockaddr_in{};
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
  if (got <= 0) {
    if (got == 0) {  // the simulator is gone; stop polling a closed pipe
      close(out_);
      out_ = -1;
    }
    return;
  }
  partial_.append(chunk, static_cast<std::size_t>(got));
  std::size_t newline;
  while ((newline = partial_.find('\n')) != std::string::npos) {
    lines_.push_back(partial_.substr(0, newline));
    taken_.push_back(false);
    partial_.erase(0, newline + 1);
  }
}

std::string SimProcess::TakeLine(std::string_view event,
                                 std::initializer_list<std::string_view> parts, int timeoutMs) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  std::size_t checked = 0;
  for (;;) {
    for (; checked < lines_.size(); ++checked) {
      if (taken_[checked] || !HasEvent(lines_[checked], event)) continue;
      bool all = true;
      for (const std::string_view part : parts)
        all = all && lines_[checked].find(part) != std::string::npos;
      if (!all) continue;
      taken_[checked] = true;
      return lines_[checked];
    }
    if (out_ < 0 || NowMs() >= deadline) return {};
    Pump(Remaining(deadline));
  }
}

int SimProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  // The simulator's exit closes the pipe; wait for that rather than for a fixed time.
  const std::int64_t deadline = NowMs() + 3000;
  while (out_ >= 0 && NowMs() < deadline)
    Pump(Remaining(deadline));
  if (out_ >= 0) kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

UdpClient::UdpClient() {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
  const int size = 1 << 20;  // room for floods
  setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

UdpClient::~UdpClient() {
  close(fd_);
}

void UdpClient::Send(const sockaddr_in& to, const std::uint8_t* bytes, std::size_t count) {
  sendto(fd_, bytes, count, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::vector<ReceivedDatagram> UdpClient::Receive(SimProcess& sim, std::size_t count,
                                                 int timeoutMs) {
  std::vector<ReceivedDatagram> got;
  const std::int64_t deadline = NowMs() + timeoutMs;
  while (got.size() < count) {
    for (ReceivedDatagram& d : Drain())
      got.push_back(std::move(d));
    if (got.size() >= count || NowMs() >= deadline) break;
    pollfd p[2] = {{fd_, POLLIN, 0}, {sim.StdoutFd(), POLLIN, 0}};
    if (poll(p, sim.StdoutFd() >= 0 ? 2 : 1, Remaining(deadline)) > 0 && (p[1].revents & POLLIN))
      sim.Pump(0);
  }
  return got;
}

std::vector<ReceivedDatagram> UdpClient::Drain() {
  std::vector<ReceivedDatagram> got;
  for (;;) {
    ReceivedDatagram d;
    d.Bytes.resize(70000);
    socklen_t length = sizeof d.From;
    const ssize_t n = recvfrom(fd_, d.Bytes.data(), d.Bytes.size(), MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&d.From), &length);
    if (n < 0) return got;
    d.Bytes.resize(static_cast<std::size_t>(n));
    got.push_back(std::move(d));
  }
}

void UdpClient::Barrier(SimProcess& sim) {
  static int counter = 0;
  const std::uint8_t marker[1] = {static_cast<std::uint8_t>(0xA0 + (++counter % 16))};
  Send(sim.Udp(), marker, 1);
  char hex[16];
  std::snprintf(hex, sizeof hex, "hex=%02x", marker[0]);
  sim.TakeLine("malformed", {"len=1 ", hex});
}

bool ParseFromSim(const SimProcess& sim, const ReceivedDatagram& d, ParsedReply& out) {
  if (d.From.sin_port != sim.Udp().sin_port) return false;
  return ParseGatewayInfoReply(d.Bytes.data(), d.Bytes.size(), kGatewayPort, out);
}

GatewayRecord RecordFor(const std::uint8_t (&mac)[6]) {
  GatewayRecord r = kEmptyGatewayRecord;
  std::memcpy(r.Mac, mac, 6);
  return r;
}

int ConnectTcp(const SimProcess& sim) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&sim.Tcp()), sizeof sim.Tcp()) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool ReadTcp(SimProcess& sim, int fd, std::string& bytes, std::size_t count, int timeoutMs) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  while (bytes.size() < count && NowMs() < deadline) {
    pollfd p[2] = {{fd, POLLIN, 0}, {sim.StdoutFd(), POLLIN, 0}};
    if (poll(p, sim.StdoutFd() >= 0 ? 2 : 1, Remaining(deadline)) <= 0) continue;
    if (p[1].revents & POLLIN) sim.Pump(0);
    if (!(p[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char chunk[65536];
    const ssize_t got = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got == 0) return false;
    if (got < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (got > 0) bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return true;
}
