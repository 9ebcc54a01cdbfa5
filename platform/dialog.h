#pragma once

#include <vector>

#include "platform/dialog_template.h"
#include "platform/window_messages.h"
#include "platform/window_system.h"

class TControl;

// Base of a dialog built from a template. It keeps the control objects that are attached to
// the dialog's controls when its window exists, and routes commands: clicks and list
// notifications arrive as WM_COMMAND (id in the low word, notification code in the high word,
// a non-zero lParam when the command comes from a control).
class TDialog : public TMessageTarget {
 public:
  TDialog(TWindowSystem& windowSystem, const DialogTemplate& dialogTemplate);
  virtual ~TDialog();
  TDialog(const TDialog&) = delete;
  TDialog& operator=(const TDialog&) = delete;

  const DialogTemplate& Template() const { return DlgTemplate; }
  TWindowSystem& Ws() const { return WindowSystem; }

  // Runs once when the window and its controls exist: attaches the control objects, which
  // applies their text limits and validators.
  virtual void SetupWindow();

  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

  // The command hook. The base hands notifications from controls to EvChildNotify.
  virtual void EvCommand(unsigned id, bool fromControl, unsigned notifyCode);

  // Asked before the frame closes: every edit with a validator must hold a valid value; the
  // first that does not is reported, focused, and the dialog stays open.
  virtual bool CanClose();

  void AddChild(TControl* control) { Children.push_back(control); }

 protected:
  virtual void EvChildNotify(unsigned id, unsigned notifyCode);

 private:
  TWindowSystem& WindowSystem;
  const DialogTemplate& DlgTemplate;
  std::vector<TControl*> Children;
};
