#pragma once

#include <QString>

// What a static control (a label, a group box title) shows of its text: '&' marks the next
// character as the mnemonic, so "&&" is shown as one '&' and a single '&' is not shown.
// The control keeps its text as it was set; only the shown text is converted.
QString StaticDisplayText(const QString& text);
