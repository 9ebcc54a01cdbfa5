#pragma once

#include <QIcon>
#include <QPixmap>

// The program's images by resource id, from Qt's resource system: icons as
// :/images/icon/ID.png, bitmaps as :/images/bitmap/ID.png, compiled into the program. A null
// pixmap or icon when there is none with that id.
QPixmap ResourceBitmap(int bitmapId);
QIcon ResourceIcon(int iconId);
