#pragma once

#include <QObject>
#include <memory>
#include <unordered_map>

#include "platform/event_loop.h"

class QSocketNotifier;
class QTimer;

// The socket layer's event loop on Qt's: descriptor watches are socket notifiers, posted calls
// are queued calls. Runs whenever the Qt event loop runs, nested loops of message boxes
// included. Needs a QCoreApplication (or QApplication) for its whole life.
class QtEventLoop final : public TEventLoop {
 public:
  QtEventLoop();
  ~QtEventLoop() override;
  QtEventLoop(const QtEventLoop&) = delete;
  QtEventLoop& operator=(const QtEventLoop&) = delete;

  int AddWatch(int fd, WatchKind kind, Callback callback) override;
  void EnableWatch(int watchId, bool enabled) override;
  void RemoveWatch(int watchId) override;
  void Post(Callback call) override;
  int StartTimer(std::chrono::milliseconds delay, Callback callback) override;
  void StopTimer(int timerId) override;

 private:
  struct Watch {
    QSocketNotifier* Notifier;
    std::shared_ptr<Callback> Call;
  };
  void Fire(int watchId);

  QObject Context;  // parent of the notifiers; posted calls die with it
  std::unordered_map<int, Watch> Watches;
  std::unordered_map<int, QTimer*> Timers;  // children of Context
  int NextId = 1;
};
