#pragma once

#include <QIcon>
#include <QPixmap>

// The program's images by resource id, from the images compiled into this layer
// (resources/images.qrc). A null pixmap or icon when there is none with that id.
QPixmap ResourceBitmap(int bitmapId);
QIcon ResourceIcon(int iconId);
