#pragma once

// Runs the gateway simulator as a child process and reads its stdout lines. Every wait is a
// poll() with a deadline on the thing expected.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/child_run.h"

class SimProcess {
 public:
  // Starts the simulator with `args` inside the network namespace or, when `netns` is empty,
  // on 127.0.0.1 with ports the system picks; waits for its "ready" line.
  SimProcess(const std::string& netns, std::vector<std::string> args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready() const { return !ready_.empty(); }
  // The port, in network order, of "`key`=ADDRESS:PORT" in the "ready" line ("udp", "tcp").
  std::uint16_t Port(std::string_view key) const;

  // The first line not yet taken that holds `event` as its second word and every one of
  // `parts`; it is taken. Empty when none came within `timeoutMs`.
  std::string TakeLine(std::string_view event, std::initializer_list<std::string_view> parts,
                       int timeoutMs = 2000);
  // The lines not yet taken before the first one that TakeLine would take; they are taken with
  // it. Nothing when no such line came within `timeoutMs`.
  std::optional<std::vector<std::string>> TakeBefore(std::string_view event,
                                                     std::initializer_list<std::string_view> parts,
                                                     int timeoutMs);
  // Reads whatever the simulator printed meanwhile, waiting at most `timeoutMs` for it.
  void Pump(int timeoutMs) { child_.Pump(timeoutMs); }
  // Sends `signal` and returns the exit status (-1 if it had to be killed).
  int Stop(int signal);

 private:
  // The index of the first line not yet taken like TakeLine's, waiting for it; -1 when none came.
  std::ptrdiff_t Find(std::string_view event, std::initializer_list<std::string_view> parts,
                      int timeoutMs);

  ChildProcess child_;
  std::size_t split_ = 0;  // how much of the child's stdout is in lines_ or taken
  std::string ready_;
  std::vector<std::string> lines_;  // not yet taken
};
