#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <queue>
#include <vector>

#include "tools/gateway_sim/datagram.h"

// Datagrams waiting for their send time, earliest first and in the order queued among equal
// times. Bounded: a push beyond the limit is refused.
class OutgoingQueue {
 public:
  static constexpr std::size_t kLimit = 65536;

  struct Entry {
    std::int64_t DueMs = 0;
    std::uint64_t Order = 0;
    sockaddr_in To{};
    Datagram Message;
  };

  bool Push(std::int64_t dueMs, const sockaddr_in& to, const Datagram& message);
  bool Empty() const { return entries_.empty(); }
  std::int64_t NextDueMs() const { return entries_.empty() ? -1 : entries_.top().DueMs; }
  const Entry& Front() const { return entries_.top(); }
  void Pop() { entries_.pop(); }

 private:
  struct Later {
    bool operator()(const Entry& a, const Entry& b) const {
      return a.DueMs != b.DueMs ? a.DueMs > b.DueMs : a.Order > b.Order;
    }
  };
  std::priority_queue<Entry, std::vector<Entry>, Later> entries_;
  std::uint64_t nextOrder_ = 0;
};
