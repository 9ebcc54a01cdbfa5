#include "platform/qt/qt_event_loop.h"

#include <QSocketNotifier>
#include <QTimer>

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop() = default;

int QtEventLoop::AddWatch(int fd, WatchKind kind, Callback callback) {
  const int id = NextId++;
  if (NextId <= 0) NextId = 1;
  auto* notifier = new QSocketNotifier(
      fd, kind == WatchKind::Read ? QSocketNotifier::Read : QSocketNotifier::Write, &Context);
  QObject::connect(notifier, &QSocketNotifier::activated, &Context, [this, id] { Fire(id); });
  Watches.emplace(id, Watch{notifier, std::make_shared<Callback>(std::move(callback))});
  return id;
}

void QtEventLoop::EnableWatch(int watchId, bool enabled) {
  const auto found = Watches.find(watchId);
  if (found != Watches.end()) found->second.Notifier->setEnabled(enabled);
}

void QtEventLoop::RemoveWatch(int watchId) {
  const auto found = Watches.find(watchId);
  if (found == Watches.end()) return;
  // Disabled at once, so the descriptor wakes it no more; deleted once its activation, which
  // may be running this very call, has returned.
  found->second.Notifier->setEnabled(false);
  found->second.Notifier->deleteLater();
  Watches.erase(found);
}

void QtEventLoop::Fire(int watchId) {
  const auto found = Watches.find(watchId);
  if (found == Watches.end()) return;  // removed since the descriptor became ready
  // Held while it runs: the callback may remove its own watch.
  const std::shared_ptr<Callback> call = found->second.Call;
  (*call)();
}

void QtEventLoop::Post(Callback call) {
  QMetaObject::invokeMethod(&Context, std::move(call), Qt::QueuedConnection);
}

int QtEventLoop::StartTimer(std::chrono::milliseconds delay, Callback callback) {
  const int id = NextId++;
  if (NextId <= 0) NextId = 1;
  auto* timer = new QTimer(&Context);
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, &Context,
                   [this, id, call = std::make_shared<Callback>(std::move(callback))] {
                     StopTimer(id);  // gone before the call, which may start it anew
                     (*call)();
                   });
  Timers.emplace(id, timer);
  timer->start(std::max(delay, std::chrono::milliseconds(0)));
  return id;
}

void QtEventLoop::StopTimer(int timerId) {
  const auto found = Timers.find(timerId);
  if (found == Timers.end()) return;
  found->second->stop();
  found->second->deleteLater();
  Timers.erase(found);
}
