#include "platform/qt/dialog_builder.h"

#include <QFrame>
#include <algorithm>
#include <vector>

#include "platform/qt/dialog_button.h"
#include "platform/qt/dialog_check_box.h"
#include "platform/qt/drop_down_list.h"
#include "platform/qt/edit_field.h"
#include "platform/qt/group_box_widget.h"
#include "platform/qt/label_widget.h"
#include "platform/qt/list_box_view.h"
#include "platform/qt/picture_widget.h"
#include "platform/qt/resource_images.h"
#include "platform/qt/windows1252.h"
#include "platform/window_messages.h"

namespace {

// The height of a closed drop-down list: the style's own, at most that of a push button. The
// template's height includes the opened list.
int ClosedComboHeight(const QWidget& combo, DialogBaseUnits units) {
  return std::min(combo.sizeHint().height(), MulDiv(14, units.Y, 8));
}

QWidget* MakeDropDownList(QWidget& dialog, const QRect& rect, DialogBaseUnits units) {
  auto* combo = new DropDownList(&dialog);
  const int closed = ClosedComboHeight(*combo, units);
  combo->SetListHeight(rect.height() - closed);
  combo->setGeometry(rect.x(), rect.y(), rect.width(), closed);
  return combo;
}

QWidget* MakeControl(QWidget& dialog, const DialogControl& control, DialogBaseUnits units) {
  const QRect rect = ControlRect(control, units);
  const QString text = FromWindows1252(control.Text != nullptr ? control.Text : "");
  QWidget* widget = nullptr;
  switch (control.Kind) {
    case ControlKind::Edit:
      // A line edit always scrolls its text: the AutoHScroll mark needs nothing more.
      widget = new EditField(&dialog);
      static_cast<EditField*>(widget)->SetProgramText(text);
      break;
    case ControlKind::DropDownList:
      return MakeDropDownList(dialog, rect, units);
    case ControlKind::CheckBox:
      widget = new DialogCheckBox(text, &dialog);
      break;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      widget = new DialogButton(text, control.Kind == ControlKind::DefaultPushButton, &dialog);
      break;
    case ControlKind::ListBox:
      widget = new ListBoxView(&dialog);
      break;
    case ControlKind::Picture:
      widget = new PictureWidget(ResourceBitmap(control.BitmapId), &dialog);
      widget->move(rect.topLeft());
      return widget;
    case ControlKind::EtchedLine: {
      auto* line = new QFrame(&dialog);
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Sunken);
      line->setGeometry(rect.x(), rect.y(), rect.width(), std::max(2, rect.height()));
      line->setWindowTitle(text);  // kept as the control's text, never shown
      return line;
    }
    case ControlKind::Label:
      widget = new LabelWidget(text, (control.Style & control_style::RightAligned) != 0, &dialog);
      break;
    case ControlKind::GroupBox:
      widget = new GroupBoxWidget(text, &dialog);
      break;
  }
  widget->setGeometry(rect);
  return widget;
}

void Connect(QWidget* widget, ControlKind kind, int id, const CommandSink& notify) {
  switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
      auto* button = static_cast<QAbstractButton*>(widget);
      QObject::connect(button, &QAbstractButton::clicked, button,
                       [notify, id, button] { notify(id, BN_CLICKED, button); });
      break;
    }
    case ControlKind::DropDownList: {
      auto* combo = static_cast<DropDownList*>(widget);
      QObject::connect(combo, &QComboBox::activated, combo,
                       [notify, id, combo] { notify(id, CBN_SELCHANGE, combo); });
      combo->AboutToOpen = [notify, id, combo] { notify(id, CBN_DROPDOWN, combo); };
      combo->Closed = [notify, id, combo] { notify(id, CBN_CLOSEUP, combo); };
      break;
    }
    default:
      break;
  }
}

}  // namespace

QRect ControlRect(const DialogControl& control, DialogBaseUnits units) {
  const TRect r = MapDialogRect(control.X, control.Y, control.W, control.H, units.X, units.Y);
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

DialogControls BuildDialogControls(QWidget& dialog, const DialogTemplate& dialogTemplate,
                                   DialogBaseUnits units, const CommandSink& notify) {
  std::vector<const DialogControl*> ordered;
  for (const DialogControl& control : dialogTemplate.Controls)
    ordered.push_back(&control);
  std::stable_sort(
      ordered.begin(), ordered.end(),
      [](const DialogControl* a, const DialogControl* b) { return a->Order < b->Order; });

  DialogControls controls;
  QWidget* previousTabStop = nullptr;
  for (const DialogControl* control : ordered) {
    QWidget* widget = MakeControl(dialog, *control, units);
    if (TakesFocus(control->Kind)) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    if ((control->Style & control_style::Disabled) != 0) widget->setEnabled(false);
    Connect(widget, control->Kind, control->Id, notify);
    if (control->Id != -1) controls.emplace(control->Id, DialogControlEntry{control->Kind, widget});
  }
  // Names for assistive technology only: nothing on screen changes.
  for (const ControlName& name : dialogTemplate.AccessibleNames) {
    const auto found = controls.find(name.Id);
    if (found != controls.end())
      found->second.Widget->setAccessibleName(FromWindows1252(name.Name));
  }
  return controls;
}
