#include "platform/qt/timer_table.h"

#include <QTimerEvent>
#include <algorithm>
#include <limits>

namespace {

// The shortest period the original platform allows; shorter ones are raised to it.
constexpr unsigned kMinimumPeriodMs = 10;

}  // namespace

TimerTable::TimerTable(std::function<void(unsigned)> onTick) : OnTick(std::move(onTick)) {}

TimerTable::~TimerTable() {
  for (const auto& [id, qtId] : QtIds)
    killTimer(qtId);
}

unsigned TimerTable::Set(unsigned id, unsigned periodMs) {
  if (id == 0) return 0;
  Kill(id);
  const unsigned period = std::clamp(periodMs, kMinimumPeriodMs,
                                     static_cast<unsigned>(std::numeric_limits<int>::max()));
  const int qtId = startTimer(static_cast<int>(period), Qt::PreciseTimer);
  if (qtId == 0) return 0;
  QtIds[id] = qtId;
  return id;
}

bool TimerTable::Kill(unsigned id) {
  const auto found = QtIds.find(id);
  if (found == QtIds.end()) return false;
  killTimer(found->second);
  QtIds.erase(found);
  return true;
}

void TimerTable::timerEvent(QTimerEvent* event) {
  for (const auto& [id, qtId] : QtIds) {
    if (qtId == event->timerId()) {
      const unsigned tickId = id;  // the handler may change the table
      OnTick(tickId);
      return;
    }
  }
}
