#pragma once

// The real program on the real Qt window (offscreen in tests) with whatever socket layer the
// test gives it: in-memory sockets for widget tests, POSIX sockets in end-to-end tests. Users'
// actions go through the real widgets with QTest; message boxes are recorded and closed.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/socket_view_app.h"
#include "platform/qt/qt_window_system.h"

class QtProgram {
 public:
  struct Box {
    std::string Text;
    std::string Caption;
    QMessageBox::Icon Icon;
    bool PlainText;
  };

  // Starts the program: main window, set-up, first search, frame shown.
  explicit QtProgram(TSocketLayer& sockets, StartOptions options = {});
  ~QtProgram();
  QtProgram(const QtProgram&) = delete;
  QtProgram& operator=(const QtProgram&) = delete;

  QtWindowSystem& Windows() { return *WindowSystem; }
  Vellora& Dialog() { return *App->MainDialog(); }
  QWidget* Frame() const { return WindowSystem->FrameWidget(); }
  QWidget* Widget(int id) const { return WindowSystem->ControlWidget(id); }

  // A mouse click at the control's centre.
  void Click(int id);
  // Focuses the control and types the keys.
  void Type(int id, const QString& keys);
  // Selects everything in an edit and types the keys over it.
  void Replace(int id, const QString& keys);
  void Key(int id, Qt::Key key);
  // Picks an entry of a drop-down list the way a user does: opens it, chooses, confirms.
  void Pick(int comboId, int index);
  // The two halves of a pick: the list opens; later the row shown at `index` is chosen.
  void OpenList(int comboId);
  void ChooseInOpenList(int comboId, int index);
  // The rows the opened list shows.
  std::vector<std::string> OpenListRows(int comboId) const;

  // What the controls show, as the program reads them (Windows-1252 bytes).
  std::string Text(int id) const;
  std::vector<std::string> Combo(int id) const;
  std::vector<std::string> DebugLines() const;
  bool Contains(const std::string& line) const;

  // Message boxes shown so far; each was closed at once unless OnBox is set (it then runs
  // inside the box's modal loop and must close it).
  std::vector<Box> Boxes;
  std::function<void(QMessageBox&)> OnBox;

  // Runs the event loop until the condition holds or the bound passes (against a hang, not a
  // measure of time); eachPass runs on every pass.
  bool PumpUntil(const std::function<bool()>& done, int boundMs = 10000,
                 const std::function<void()>& eachPass = nullptr);

  // Saves the frame as a PNG.
  bool Screenshot(const std::string& path) const;

 private:
  std::unique_ptr<QtWindowSystem> WindowSystem;
  std::unique_ptr<TSocketViewApp> App;
};
