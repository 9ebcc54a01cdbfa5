// Program entry: the real platform (Qt 6 Widgets, POSIX sockets on Qt's event loop) under the
// application object. The command line is left to Qt; the program itself reads none.
#include "app/socket_view_app.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_window_system.h"

int main(int argc, char** argv) {
  QtWindowSystem windows(argc, argv);
  QtEventLoop loop;
  PosixSocketLayer sockets(loop);
  TSocketViewApp app("Vellora", windows, sockets);
  return app.Run();
}
