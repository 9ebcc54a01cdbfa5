#pragma once

#include <memory>
#include <string>

#include "dialog/vellora.h"
#include "platform/socket_layer.h"
#include "platform/window_system.h"

// The application object: checks and starts the socket layer, makes the main dialog the client
// of the frame window and runs the message loop until the frame closes.
class TSocketViewApp {
 public:
  TSocketViewApp(std::string name, TWindowSystem& windowSystem, TSocketLayer& socketLayer,
                 StartOptions options = {});
  ~TSocketViewApp();
  TSocketViewApp(const TSocketViewApp&) = delete;
  TSocketViewApp& operator=(const TSocketViewApp&) = delete;

  // Creates the main window (InitMainWindow), then runs the loop; yields the exit code.
  int Run();
  void InitMainWindow();
  Vellora* MainDialog() const { return Dialog.get(); }

 private:
  std::string Name;
  TWindowSystem& Ws;
  TSocketLayer& Sockets;
  StartOptions Options;
  std::unique_ptr<Vellora> Dialog;
};
