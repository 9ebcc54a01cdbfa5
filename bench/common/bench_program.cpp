#include "bench/common/bench_program.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "platform/posix/posix_socket_layer.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_window_system.h"
#include "resources/dialog_11000.h"

BenchProgram::BenchProgram()
    : WindowSystem(std::make_unique<QtWindowSystem>()),
      Loop(std::make_unique<QtEventLoop>()),
      Posix(std::make_unique<PosixSocketLayer>(*Loop)),
      Counting(std::make_unique<CountingSocketLayer>(*Posix)) {
  WindowSystem->SetMessageBoxObserver([this](QMessageBox& box) {
    BoxTexts.push_back(box.windowTitle().toStdString() + ": " + box.text().toStdString());
    box.accept();
  });
  // As the application object's InitMainWindow does it, with the timestamping dialog.
  if (!Counting->IsAvailable()) {
    WindowSystem->MessageBox(false, "Keine Sockets verfuegbar", "Fehler", MB_OK);
  } else {
    Counting->Startup(1, 1);
  }
  Window = std::make_unique<TickedVellora>(*WindowSystem, *Counting);
  TFrameSpec frame;
  frame.Title = "Vellora";
  frame.IconId = kIconId;
  frame.ShrinkToClient = true;
  frame.CanMaximize = false;
  frame.CanResize = false;
  WindowSystem->CreateMainWindow(frame, *Window);
  RunUntil(
      [this] {
        const QWidget* shown = WindowSystem->FrameWidget();
        return shown != nullptr && shown->windowHandle() != nullptr &&
               shown->windowHandle()->isExposed();
      },
      std::chrono::milliseconds(5000));
}

BenchProgram::~BenchProgram() {
  Window.reset();  // its sockets leave the loop before the loop goes
  Counting.reset();
  Posix.reset();
  Loop.reset();
  WindowSystem.reset();
}

bool BenchProgram::Click(int id) {
  auto* button = qobject_cast<QAbstractButton*>(WindowSystem->ControlWidget(id));
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
