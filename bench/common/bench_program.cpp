#include "bench/common/bench_program.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>

#include "platform/posix/posix_socket_layer.h"
#include "platform/qt/qt_event_loop.h"
#include "tests/support/qt_program.h"

// A one-second timer stopped at each tick and started again at its end, as the program's own:
// each tick is due one period after the previous one was done.
class TickProbe {
 public:
  TickProbe() {
    Timer.setTimerType(Qt::PreciseTimer);
    Timer.setSingleShot(true);
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      Ticks.push_back(BenchProgram::Clock::now());
      Timer.start(kPeriodMs);
    });
    Timer.start(kPeriodMs);
  }
  static constexpr int kPeriodMs = 1000;
  QTimer Timer;
  std::vector<BenchProgram::Clock::time_point> Ticks;
};

BenchProgram::BenchProgram()
    : Loop(std::make_unique<QtEventLoop>()),
      Posix(std::make_unique<PosixSocketLayer>(*Loop)),
      Counting(std::make_unique<CountingSocketLayer>(*Posix)),
      Program(std::make_unique<QtProgram>(*Counting)),
      Probe(std::make_unique<TickProbe>()) {}

BenchProgram::~BenchProgram() {
  Probe.reset();
  Program.reset();  // the dialog's sockets leave the loop before the loop goes
  Counting.reset();
  Posix.reset();
  Loop.reset();
}

QtWindowSystem& BenchProgram::Windows() {
  return Program->Windows();
}

std::string BenchProgram::Text(int id) const {
  return Program->Text(id);
}

std::vector<std::string> BenchProgram::Entries(int comboId) const {
  return Program->Combo(comboId);
}

std::vector<std::string> BenchProgram::DebugLines() const {
  return Program->DebugLines();
}

std::vector<std::string> BenchProgram::Boxes() const {
  std::vector<std::string> texts;
  for (const QtProgram::Box& box : Program->Boxes)
    texts.push_back(box.Caption + ": " + box.Text);
  return texts;
}

bool BenchProgram::Click(int id) {
  auto* button = qobject_cast<QAbstractButton*>(Program->Widget(id));
  if (button == nullptr || !button->isVisible() || !button->isEnabled()) return false;
  button->click();
  return true;
}

void BenchProgram::RunFor(std::chrono::milliseconds duration, std::chrono::milliseconds period,
                          const std::function<void()>& every) {
  QEventLoop loop;
  QTimer end;
  end.setTimerType(Qt::PreciseTimer);
  end.setSingleShot(true);
  QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
  QTimer sampler;
  sampler.setTimerType(Qt::PreciseTimer);
  if (every && period.count() > 0) {
    QObject::connect(&sampler, &QTimer::timeout, &loop, every);
    sampler.start(static_cast<int>(period.count()));
  }
  end.start(static_cast<int>(duration.count()));
  loop.exec();
}

bool BenchProgram::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  if (done()) return true;
  QEventLoop loop;
  QTimer check;
  check.setTimerType(Qt::PreciseTimer);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer end;
  end.setSingleShot(true);
  QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
  check.start(5);
  end.start(static_cast<int>(bound.count()));
  loop.exec();
  return done();
}

BenchProgram::Lateness BenchProgram::LatenessBetween(Clock::time_point from,
                                                     Clock::time_point to) const {
  using Ms = std::chrono::duration<double, std::milli>;
  Lateness result;
  double sum = 0;
  const std::vector<Clock::time_point>& ticks = Probe->Ticks;
  for (std::size_t i = 1; i < ticks.size(); ++i) {
    if (ticks[i] < from || ticks[i] >= to) continue;
    const double late =
        Ms(ticks[i] - ticks[i - 1] - std::chrono::milliseconds(TickProbe::kPeriodMs)).count();
    result.WorstMs = result.Ticks == 0 ? late : std::max(result.WorstMs, late);
    sum += late;
    ++result.Ticks;
  }
  if (result.Ticks > 0) result.MeanMs = sum / result.Ticks;
  return result;
}
