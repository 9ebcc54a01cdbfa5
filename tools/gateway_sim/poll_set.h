#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The descriptors and the earliest deadline for one turn of the poll loop. Each service adds
// what it waits for and the time of its next timed work, then reads back what became ready.
class PollSet {
 public:
  void Clear() {
    fds_.clear();
    deadlineMs_ = -1;
  }

  std::size_t Add(int fd, short events) {
    fds_.push_back(pollfd{fd, events, 0});
    return fds_.size() - 1;
  }

  short Ready(std::size_t index) const { return index < fds_.size() ? fds_[index].revents : 0; }

  // Keeps the earliest of the deadlines given; a negative one means "none".
  void WakeAt(std::int64_t ms) {
    if (ms >= 0 && (deadlineMs_ < 0 || ms < deadlineMs_)) deadlineMs_ = ms;
  }

  std::int64_t DeadlineMs() const { return deadlineMs_; }
  pollfd* Data() { return fds_.data(); }
  nfds_t Size() const { return static_cast<nfds_t>(fds_.size()); }

 private:
  std::vector<pollfd> fds_;
  std::int64_t deadlineMs_ = -1;
};
