#pragma once

// The program's dialog with the ticks of its statistics timer timestamped: when each WM_TIMER
// for that timer reached the window, and when the window was done with it. The timer is
// stopped at the start of a tick and restarted at its end, so the next tick is due one period
// after the previous one was done; how much later it came is its lateness.

#include <chrono>
#include <vector>

#include "dialog/vellora.h"

class TickedVellora final : public Vellora {
 public:
  using Clock = std::chrono::steady_clock;
  struct Tick {
    Clock::time_point Entered;
    Clock::time_point Left;
  };

  using Vellora::Vellora;

  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

  struct Lateness {
    int Ticks = 0;       // ticks whose due time could be known
    double WorstMs = 0;  // latest of them, against its due time
    double MeanMs = 0;
    double LongestTickMs = 0;  // longest time the window spent in one tick
  };
  // Over the ticks that entered in [from, to).
  Lateness LatenessBetween(Clock::time_point from, Clock::time_point to) const;

 private:
  std::vector<Tick> StatsTicks;
};
