#pragma once

#include <QRect>
#include <functional>
#include <unordered_map>

#include "platform/dialog_template.h"
#include "platform/qt/dialog_font.h"

class QWidget;

struct DialogControlEntry {
  ControlKind Kind;
  QWidget* Widget;
};

// The dialog's controls by id; controls without an id (-1) are not addressed and not listed.
using DialogControls = std::unordered_map<int, DialogControlEntry>;

// Receives a control's notification: a click on a push button or a check box (BN_CLICKED),
// a selection the user made in a drop-down list (CBN_SELCHANGE).
using CommandSink = std::function<void(int id, unsigned notifyCode, QWidget* control)>;

// A template rectangle in pixels.
QRect ControlRect(const DialogControl& control, DialogBaseUnits units);

// Creates every control of the template as a child of the dialog widget, in the template's
// order, which is also the tab order: edits, buttons, check boxes, drop-down lists and list
// boxes take the focus, the other kinds never do. Each control named in the template's
// accessible names gets that name. The dialog widget must have its font.
DialogControls BuildDialogControls(QWidget& dialog, const DialogTemplate& dialogTemplate,
                                   DialogBaseUnits units, const CommandSink& notify);
