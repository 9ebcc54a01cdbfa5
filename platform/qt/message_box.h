#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

// Sees every message box once it is open, inside its modal loop: it may read the box and
// close it. For tests and tools; the program sets none.
using MessageBoxObserver = std::function<void(QMessageBox& box)>;

// A modal message box with an OK button, plain text, and the icon of its type (MB_ICONSTOP,
// MB_ICONEXCLAMATION, MB_ICONINFORMATION, or none); centred on its owner, or with none. Runs
// a nested event loop until closed; yields IDOK.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type,
                   const MessageBoxObserver& observer);
