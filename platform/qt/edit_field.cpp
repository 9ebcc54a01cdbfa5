#include "platform/qt/edit_field.h"

EditField::EditField(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged,
          [this](const QString& text) { Filter.SetAcceptedText(text); });
  // A disabled edit still shows a value the operator reads (the address in use, the serial
  // number, the module's MAC): its text stays legible, only lighter than an editable one.
  QPalette shades = palette();
  shades.setColor(QPalette::Disabled, QPalette::Text, QColor(0x55, 0x55, 0x55));
  setPalette(shades);
}

void EditField::SetMaxBytes(qsizetype maxBytes) {
  Filter.SetMaxBytes(maxBytes);
  InstallFilter();
}

void EditField::SetRule(const TValidator* rule) {
  Filter.SetRule(rule);
  InstallFilter();
}

void EditField::SetProgramText(const QString& text) {
  // The program rewrites every field of a record whenever a reply shows it again: an edit that
  // already stands exactly as setText would leave it is not touched, which spares a repaint.
  if (text == this->text() && cursorPosition() == 0 && !hasSelectedText() && !isModified() &&
      !isUndoAvailable() && !isRedoAvailable()) {
    return;
  }
  // Without the filter while the text is set: a line edit that holds text its validator
  // refuses would stop undoing refused keystrokes.
  setValidator(nullptr);
  setText(text);
  setCursorPosition(0);
  InstallFilter();
}

void EditField::InstallFilter() {
  setValidator(Filter.HasWork() ? &Filter : nullptr);
}
