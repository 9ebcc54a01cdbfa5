#pragma once

#include <QObject>
#include <functional>
#include <map>

// The dialog's timers by id, as the original platform keeps them per window: setting an id
// that runs already restarts it with the new period; every tick is reported with its id.
class TimerTable : public QObject {
 public:
  explicit TimerTable(std::function<void(unsigned id)> onTick);
  ~TimerTable() override;

  // Yields the id, or 0 when no timer could be started (id 0 is not a timer id).
  unsigned Set(unsigned id, unsigned periodMs);
  // False when no timer runs with that id.
  bool Kill(unsigned id);

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  std::function<void(unsigned)> OnTick;
  std::map<unsigned, int> QtIds;  // by timer id
};
