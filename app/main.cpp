// Program entry: the real platform (Qt 6 Widgets, POSIX sockets on Qt's event loop) under the
// application object, started as the command line asks.
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <memory>

#include "app/program_options.h"
#include "app/socket_view_app.h"
#include "platform/posix/append_file.h"
#include "platform/posix/posix_socket_layer.h"
#include "platform/posix/serial_counter.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_window_system.h"

int main(int argc, char** argv) {
  // A record at its size limit (ulimit -f) is a write that fails and is said, not the end of
  // the program.
  std::signal(SIGXFSZ, SIG_IGN);
  // The names a desktop knows the program by: its menu entry and the window class.
  QCoreApplication::setApplicationName(QStringLiteral("vellora"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VELLORA_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("vellora"));

  // Everything the command line can refuse is refused before a window opens or a socket is made,
  // with a core application only: --help and a refusal need no display. Qt's own options are
  // left in argv for the QApplication that the window system makes.
  ProgramOptions options;
  {
    const QCoreApplication core(argc, argv);
    if (const std::optional<EarlyExit> exit =
            ReadProgramOptions(QCoreApplication::arguments(), options)) {
      std::fputs(exit->Text.c_str(), exit->Code == 0 ? stdout : stderr);
      return exit->Code;
    }
  }
  StartOptions start;
  start.Expanded = options.Expanded;
  if (const std::optional<int> exit = ChooseStartAddress(options, start)) return *exit;
  std::unique_ptr<AppendFile> record;
  if (!options.LogPath.empty()) {
    std::string error;
    record = AppendFile::Open(options.LogPath, error);
    if (!record) {
      std::fprintf(stderr, "vellora: cannot open the log file %s: %s\n", options.LogPath.c_str(),
                   error.c_str());
      return 2;
    }
    start.Record = record.get();
  }
  // A counter the stations cannot take a number from is refused before the window opens.
  std::unique_ptr<SerialCounter> counter;
  if (!options.SerialFile.empty()) {
    counter = std::make_unique<SerialCounter>(options.SerialFile);
    std::string error;
    if (!counter->Peek(error)) {
      std::fprintf(stderr, "vellora: the serial-number file cannot be used: %s\n", error.c_str());
      return 2;
    }
    start.Counter = counter.get();
  }

  QtWindowSystem windows(argc, argv);
  QtEventLoop loop;
  PosixSocketLayer sockets(loop);
  if (!options.Line.empty()) start.Line = LineStart{options.Line, options.Station, &loop};
  TSocketViewApp app("Vellora", windows, sockets, start);
  return app.Run();
}
