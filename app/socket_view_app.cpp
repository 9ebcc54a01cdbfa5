#include "app/socket_view_app.h"

#include "resources/dialog_11000.h"

TSocketViewApp::TSocketViewApp(std::string name, TWindowSystem& windowSystem,
                               TSocketLayer& socketLayer, StartOptions options)
    : Name(std::move(name)), Ws(windowSystem), Sockets(socketLayer), Options(options) {}

TSocketViewApp::~TSocketViewApp() = default;

void TSocketViewApp::InitMainWindow() {
  if (!Sockets.IsAvailable()) {
    // The window still opens; every socket operation then reports its own failure.
    Ws.MessageBox(false, "Keine Sockets verfuegbar", "Fehler", MB_OK);
  } else {
    Sockets.Startup(1, 1);
  }
  Dialog = std::make_unique<Vellora>(Ws, Sockets, Options);
  TFrameSpec frame;
  frame.Title = Name;
  frame.IconId = kIconId;
  frame.ShrinkToClient = true;
  frame.CanMaximize = false;
  frame.CanResize = false;
  Ws.CreateMainWindow(frame, *Dialog);
}

int TSocketViewApp::Run() {
  InitMainWindow();
  const int exitCode = Ws.Run();
  Dialog.reset();
  return exitCode;
}
