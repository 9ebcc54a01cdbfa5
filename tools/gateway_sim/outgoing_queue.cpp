#include "tools/gateway_sim/outgoing_queue.h"

bool OutgoingQueue::Push(std::int64_t dueMs, const sockaddr_in& to, const Datagram& message) {
  if (entries_.size() >= kLimit) return false;
  entries_.push(Entry{dueMs, nextOrder_++, to, message});
  return true;
}
