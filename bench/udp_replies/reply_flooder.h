#pragma once

// The gateways' side of the reply benchmark: a child process inside the gateway namespace with
// a UDP socket on port 8003 of its interface. It hears the program's search requests and, on
// command, floods the program with gateway information replies in sendmmsg bursts from port
// 8003, as fast as it can or at a set rate.

#include <netinet/in.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "protocol/gateway_record.h"

struct FloodPlan {
  int DistinctMacs = 1;  // replies cycle through this many gateways; 1: one MAC repeated
  double Seconds = 5;
  int Burst = 64;          // datagrams per sendmmsg call
  std::uint64_t Rate = 0;  // datagrams per second; 0: as fast as the sender can
};

struct FloodResult {
  std::uint64_t Sent = 0;
  std::uint64_t SendFailures = 0;  // sendmmsg calls that failed
  std::int64_t StartNs = 0;        // steady clock, shared by both processes
  std::int64_t EndNs = 0;
};

class ReplyFlooder {
 public:
  // Forks the sender into the namespace and waits until its socket is bound.
  ReplyFlooder(const std::string& netns, const std::string& interface);
  ~ReplyFlooder();
  ReplyFlooder(const ReplyFlooder&) = delete;
  ReplyFlooder& operator=(const ReplyFlooder&) = delete;

  bool Ready() const { return Child > 0 && Control >= 0; }
  const std::string& Failure() const { return Why; }

  // The next search request the sender heard (they queue); false when none came in time.
  bool AwaitSearch(int timeoutMs, sockaddr_in& from);
  // Starts a flood to `to` and returns at once.
  bool Start(const sockaddr_in& to, const FloodPlan& plan);
  // Waits for the flood started last to end.
  bool Finish(FloodResult& result, int timeoutMs);

  // The gateway record of the index-th MAC of a flood, as its replies carry it.
  static GatewayRecord Record(int index);

 private:
  bool Receive(void* reply, std::size_t size, int timeoutMs);

  pid_t Child = -1;
  int Control = -1;
  std::string Why;
};
