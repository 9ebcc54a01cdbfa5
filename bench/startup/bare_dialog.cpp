#include "bench/startup/bare_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

#include "platform/dialog_template.h"
#include "platform/qt/resource_images.h"
#include "resources/dialog_11000.h"

namespace {

QRect Place(const DialogControl& c) {
  const TRect r = MapDialogRect(c.X, c.Y, c.W, c.H, kStandardBaseUnitX, kStandardBaseUnitY);
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QWidget* Make(const DialogControl& c, QWidget* dialog) {
  const QString text = QString::fromLatin1(c.Text);
  switch (c.Kind) {
    case ControlKind::Edit:
      return new QLineEdit(text, dialog);
    case ControlKind::DropDownList:
      return new QComboBox(dialog);
    case ControlKind::CheckBox:
      return new QCheckBox(text, dialog);
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      return new QPushButton(text, dialog);
    case ControlKind::ListBox:
      return new QListWidget(dialog);
    case ControlKind::GroupBox:
      return new QGroupBox(text, dialog);
    case ControlKind::EtchedLine: {
      auto* line = new QFrame(dialog);
      line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
      return line;
    }
    case ControlKind::Picture: {
      auto* picture = new QLabel(dialog);
      picture->setPixmap(ResourceBitmap(c.BitmapId));
      return picture;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(text, dialog);
      label->setTextFormat(Qt::PlainText);
      return label;
    }
  }
  return new QWidget(dialog);
}

}  // namespace

QWidget* BuildBareMainWindow() {
  const DialogTemplate& t = MainDialogTemplate();
  auto* frame = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  frame->setWindowTitle("Vellora");
  frame->setWindowIcon(ResourceIcon(kIconId));
  auto* dialog = new QWidget(frame);
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  dialog->setFont(font);
  const TRect size = MapDialogRect(0, 0, t.Width, t.Height, kStandardBaseUnitX, kStandardBaseUnitY);
  dialog->setGeometry(0, 0, size.Width(), size.Height());
  for (const DialogControl& c : t.Controls)
    Make(c, dialog)->setGeometry(Place(c));
  frame->setFixedSize(dialog->size());
  return frame;
}
