#pragma once

// Runs the gateway simulator as a child process, on loopback or inside a network namespace,
// and reads its stdout lines. Every wait is a poll() with a deadline on the thing expected.

#include <netinet/in.h>
#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class SimProcess {
 public:
  // Starts the simulator with --bind 127.0.0.1 --udp-port 0 --tcp-port 0 and `extra`, and
  // waits for its "ready" line.
  explicit SimProcess(const std::vector<std::string>& extra);
  // Starts the simulator inside the network namespace with exactly `args`, and waits for its
  // "ready" line.
  SimProcess(const std::string& netns, const std::vector<std::string>& args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready() const { return udp_.sin_port != 0; }
  // The UDP and TCP endpoints of the "ready" line.
  const sockaddr_in& Udp() const { return udp_; }
  const sockaddr_in& Tcp() const { return tcp_; }

  // The first line not yet taken that holds `event` as its second word and every one of
  // `parts`; it is taken. Empty when none came within `timeoutMs`.
  std::string TakeLine(std::string_view event, std::initializer_list<std::string_view> parts,
                       int timeoutMs = 2000);
  // Reads whatever the simulator printed meanwhile, waiting at most `timeoutMs` for it.
  void Pump(int timeoutMs);
  // Sends `signal` and returns the exit status (-1 if it had to be killed).
  int Stop(int signal);

 private:
  void Launch(std::vector<std::string> args);

  pid_t pid_ = -1;
  int out_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
  std::vector<bool> taken_;
  sockaddr_in udp_{};
  sockaddr_in tcp_{};
};
