// One start of a window, timed by the benchmark that runs it: prints "frame" on stdout once
// the window's first frame has been painted, then quits.
//
//   startup_probe bare            plain Qt widgets from the dialog template, nothing else
//   startup_probe program         the program on in-memory sockets (no network)
//   startup_probe program-posix   the program on real sockets (only inside a namespace)
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/socket_view_app.h"
#include "bench/startup/bare_dialog.h"
#include "platform/memory/memory_socket_layer.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_window_system.h"

namespace {

// Reports after the first paint of any widget of the window has finished: the whole window is
// painted in that one pass, before the reporting call runs.
class FirstFrame : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !Seen && watched->isWidgetType()) {
      Seen = true;
      QTimer::singleShot(0, [] {
        std::fputs("frame\n", stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool Seen = false;
};

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "program";
  FirstFrame firstFrame;

  if (std::strcmp(mode, "bare") == 0) {
    QApplication application(argc, argv);
    std::unique_ptr<QWidget> frame(BuildBareMainWindow());
    application.installEventFilter(&firstFrame);
    frame->show();
    return application.exec();
  }

  QtWindowSystem windows(argc, argv);
  QtEventLoop loop;
  MemorySocketLayer memorySockets;
  memorySockets.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0")};
  PosixSocketLayer posixSockets(loop);
  TSocketLayer& sockets = std::strcmp(mode, "program-posix") == 0
                              ? static_cast<TSocketLayer&>(posixSockets)
                              : static_cast<TSocketLayer&>(memorySockets);
  TSocketViewApp app("Vellora", windows, sockets);
  qApp->installEventFilter(&firstFrame);
  app.InitMainWindow();
  return QApplication::exec();
}
