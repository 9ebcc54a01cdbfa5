#include "platform/qt/group_box_widget.h"

#include <qdrawutil.h>
#include <QPainter>

#include <algorithm>

#include "platform/qt/static_text.h"

namespace {

constexpr int kTitleLeft = 8;
constexpr int kTitlePadding = 2;

}  // namespace

GroupBoxWidget::GroupBoxWidget(const QString& title, QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  SetTitle(title);
}

void GroupBoxWidget::SetTitle(const QString& title) {
  TitleText = title;
  update();
}

void GroupBoxWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics metrics = fontMetrics();
  const int frameTop = metrics.height() / 2;
  qDrawShadeRect(&painter, QRect(0, frameTop, width(), height() - frameTop), palette(), true, 1);

  const QString shown = StaticDisplayText(TitleText);
  if (shown.isEmpty()) return;
  const int textWidth = std::min(metrics.horizontalAdvance(shown), width() - 2 * kTitleLeft);
  const QRect textRect(kTitleLeft, 0, std::max(0, textWidth), metrics.height());
  painter.fillRect(textRect.adjusted(-kTitlePadding, 0, kTitlePadding, 0), palette().window());
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, shown);
}
