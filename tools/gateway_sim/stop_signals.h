#pragma once

#include <string>

// SIGINT and SIGTERM as a descriptor for the event loop to watch. Both are blocked from Open()
// on, so one that comes at any moment waits on the descriptor rather than interrupting the
// program between a check and a wait.
class StopSignals {
 public:
  StopSignals() = default;
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  bool Open(std::string& error);
  int Fd() const { return fd_; }
  // "SIGINT" or "SIGTERM" for a signal that came, or nullptr when none waits.
  const char* Take();

 private:
  int fd_ = -1;
};
