#include "platform/qt/resource_images.h"

#include <QString>

// Outside any namespace, as the resource system requires.
static void InitImages() {
  Q_INIT_RESOURCE(images);
}

namespace {

QString Path(const char* kind, int id) {
  static const bool initialised = (InitImages(), true);
  (void)initialised;
  return QStringLiteral(":/vellora/%1/%2.png").arg(QLatin1String(kind)).arg(id);
}

}  // namespace

QPixmap ResourceBitmap(int bitmapId) {
  return QPixmap(Path("bitmap", bitmapId));
}

QIcon ResourceIcon(int iconId) {
  const QPixmap image(Path("icon", iconId));
  return image.isNull() ? QIcon() : QIcon(image);
}
