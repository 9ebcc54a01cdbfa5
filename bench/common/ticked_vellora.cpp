#include "bench/common/ticked_vellora.h"

#include <algorithm>

long TickedVellora::WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (message != WM_TIMER || wParam != StatsTimerId) {
    return Vellora::WindowProc(message, wParam, lParam);
  }
  const Clock::time_point entered = Clock::now();
  const long result = Vellora::WindowProc(message, wParam, lParam);
  StatsTicks.push_back({entered, Clock::now()});
  return result;
}

TickedVellora::Lateness TickedVellora::LatenessBetween(Clock::time_point from,
                                                       Clock::time_point to) const {
  using Ms = std::chrono::duration<double, std::milli>;
  Lateness result;
  double sum = 0;
  for (std::size_t i = 1; i < StatsTicks.size(); ++i) {
    const Tick& tick = StatsTicks[i];
    if (tick.Entered < from || tick.Entered >= to) continue;
    const Clock::time_point due =
        StatsTicks[i - 1].Left + std::chrono::milliseconds(StatsTimerPeriod);
    const double late = Ms(tick.Entered - due).count();
    result.WorstMs = result.Ticks == 0 ? late : std::max(result.WorstMs, late);
    result.LongestTickMs = std::max(result.LongestTickMs, Ms(tick.Left - tick.Entered).count());
    sum += late;
    ++result.Ticks;
  }
  if (result.Ticks > 0) result.MeanMs = sum / result.Ticks;
  return result;
}
