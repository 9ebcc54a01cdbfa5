#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "udp/pc_address_list.h"

// The time after a search in which its replies come, counted in ticks of the one-second
// timer. Its end is worth a line in two cases: a search that nobody answered (a host firewall
// that lets in only answers to the PC's own connections drops every reply, and an empty list
// alone does not say so), and one that more modules answered than the list holds.
class SearchWait {
 public:
  static constexpr int kTicks = 3;
  enum class End { None, Unanswered, Answered };

  void Started() {
    Ticks = 0;
    AnyReply = false;
  }
  void Answered() { AnyReply = true; }
  void Stopped() { Ticks = -1; }
  // The two lines that say so, for a search from the entry: on an interface without a carrier
  // the link is the cause, else most likely a firewall. Each fits the debug list's width.
  static std::array<std::string, 2> NoAnswerLines(const PcAddress& from);
  // The line for modules that answered and were not listed.
  static std::string UnlistedLine(int unlisted, int listed);
  // Once, at the tick that ends the wait: whether any reply came.
  End Tick() {
    if (Ticks < 0 || ++Ticks < kTicks) return End::None;
    Ticks = -1;
    return AnyReply ? End::Answered : End::Unanswered;
  }

 private:
  int Ticks = -1;  // -1: no search waits
  bool AnyReply = false;
};
