#include <cstdint>

#include "platform/dialog_template.h"

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  // Round half away from zero, like the platform call.
  const std::int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const std::int64_t magnitude = (product < 0 ? -product : product);
  const std::int64_t d = denominator < 0 ? -denominator : denominator;
  const std::int64_t q = (magnitude + half) / d;
  return static_cast<int>(negative ? -q : q);
}

TRect MapDialogRect(int x, int y, int w, int h, int baseUnitX, int baseUnitY) {
  TRect r;
  r.Left = MulDiv(x, baseUnitX, 4);
  r.Top = MulDiv(y, baseUnitY, 8);
  r.Right = MulDiv(x + w, baseUnitX, 4);
  r.Bottom = MulDiv(y + h, baseUnitY, 8);
  return r;
}
