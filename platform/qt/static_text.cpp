#include "platform/qt/static_text.h"

QString StaticDisplayText(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 == text.size()) break;
      ++i;
    }
    shown.append(text[i]);
  }
  return shown;
}
