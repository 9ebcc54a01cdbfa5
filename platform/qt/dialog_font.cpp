#include "platform/qt/dialog_font.h"

#include <QFontMetrics>

namespace {

int PixelSize(int pointSize) {
  return (pointSize * 96 + 36) / 72;  // 8 points: 11 pixels
}

}  // namespace

QFont DialogFont(int pointSize) {
  // DejaVu Sans, semi-condensed, at 11 pixels: base units 6 x 13, as the template was laid
  // out for, and narrow enough for every text of the template to fit its control. Where the
  // condensed face is not installed, Qt narrows the regular one to the same widths.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setStretch(QFont::SemiCondensed);
  font.setPixelSize(PixelSize(pointSize));
  // Whole-pixel glyph advances: the same metrics whatever the desktop's hinting settings.
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QFont FixedPitchFont(int pointSize) {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPixelSize(PixelSize(pointSize));
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

DialogBaseUnits MeasureBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  int total = 0;
  for (char16_t c = u'A'; c <= u'Z'; ++c)
    total += metrics.horizontalAdvance(QChar(c));
  for (char16_t c = u'a'; c <= u'z'; ++c)
    total += metrics.horizontalAdvance(QChar(c));
  return {(total / 26 + 1) / 2, metrics.height()};
}
