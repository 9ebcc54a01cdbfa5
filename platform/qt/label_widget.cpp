#include "platform/qt/label_widget.h"

#include <QFontMetricsF>
#include <QPainter>

#include "platform/qt/static_text.h"

namespace {

// Narrower than this a text is hard to read; it wraps instead.
constexpr qreal kMinimumScale = 0.85;

}  // namespace

LabelWidget::LabelWidget(const QString& text, bool rightAligned, QWidget* parent)
    : QWidget(parent), RightAligned(rightAligned) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  SetText(text);
}

void LabelWidget::SetText(const QString& text) {
  Content = text;
  Shown = StaticDisplayText(text);
  update();
}

qreal LabelWidget::TextScale() const {
  const qreal needed = QFontMetricsF(font()).horizontalAdvance(Shown);
  if (needed <= width() || Shown.contains(u'\n')) return 1.0;
  const qreal scale = width() / needed;
  return scale >= kMinimumScale ? scale : 1.0;
}

void LabelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  const qreal scale = TextScale();
  int flags = (RightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop;
  if (scale == 1.0) flags |= Qt::TextWordWrap;
  painter.scale(scale, 1.0);
  painter.drawText(QRectF(0, 0, width() / scale, height()), flags, Shown);
}
