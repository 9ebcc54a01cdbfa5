#pragma once

#include <cstdint>
#include <string>

#include "udp/pc_address_list.h"

// The wait for the first reply to a search, counted in ticks of the one-second timer. A
// search that nobody answers is worth one line: a host firewall that lets in only answers to
// the PC's own connections drops every reply, and an empty list alone does not say so.
class SearchWait {
 public:
  static constexpr int kTicks = 3;

  void Started() { Ticks = 0; }
  void Stopped() { Ticks = -1; }
  // The line that says so, for a search from the entry: on an interface without a carrier the
  // link is the cause, else most likely a firewall.
  static std::string NoAnswerLine(const PcAddress& from);
  // True once, at the tick that ends a wait without any reply.
  bool Tick() {
    if (Ticks < 0 || ++Ticks < kTicks) return false;
    Ticks = -1;
    return true;
  }

 private:
  int Ticks = -1;  // -1: no search waits
};
