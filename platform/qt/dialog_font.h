#pragma once

#include <QFont>

// The dialog's base units: the average character width and the height of its font, from
// which dialog units become pixels (4 horizontal units per BaseX, 8 vertical per BaseY).
struct DialogBaseUnits {
  int X = 0;
  int Y = 0;
};

// The font of the dialog's controls for a template font of the given size in points: the face
// the template names belongs to another platform, so this layer always draws with DejaVu Sans
// semi-condensed, which has that face's base units at that size. Sizes are in pixels at the
// standard 96 dpi, so that the dialog has the same logical geometry on every screen; Qt's
// device pixel ratio scales the drawing on high-density screens.
QFont DialogFont(int pointSize);

// The fixed-pitch font of the debug list, at the dialog font's height.
QFont FixedPitchFont(int pointSize);

// Base units as the original platform computes them: the widths of "A".."Z" and "a".."z"
// added up, averaged per pair of letters and halved with rounding, (total / 26 + 1) / 2; and
// the font's height.
DialogBaseUnits MeasureBaseUnits(const QFont& font);
