#include "platform/qt/resource_images.h"

#include <QString>

namespace {

QString Path(const char* kind, int id) {
  return QStringLiteral(":/images/%1/%2.png").arg(QLatin1String(kind)).arg(id);
}

}  // namespace

QPixmap ResourceBitmap(int bitmapId) {
  return QPixmap(Path("bitmap", bitmapId));
}

QIcon ResourceIcon(int iconId) {
  const QPixmap image(Path("icon", iconId));
  return image.isNull() ? QIcon() : QIcon(image);
}
