#pragma once

#include <cstdint>
#include <span>

// A dialog described as data: the window system builds the window and its controls from it.
// Coordinates are dialog units of the template's font.

enum class ControlKind {
  Edit,
  DropDownList,
  CheckBox,
  PushButton,
  DefaultPushButton,
  ListBox,
  Picture,
  EtchedLine,
  Label,
  GroupBox,
};

namespace control_style {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t RightAligned = 1u << 0;  // label
inline constexpr std::uint32_t Disabled = 1u << 1;      // created disabled
inline constexpr std::uint32_t AutoHScroll = 1u << 2;   // edit: text scrolls horizontally
}  // namespace control_style

// Edits, buttons, check boxes, drop-down lists and list boxes are tab stops and take the
// keyboard focus; labels, group boxes, pictures and etched lines never do.
inline bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
    case ControlKind::DropDownList:
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::ListBox:
      return true;
    default:
      return false;
  }
}

struct DialogControl {
  int Id;  // -1: never addressed
  ControlKind Kind;
  const char* Text;  // Windows-1252 bytes; for a picture, unused
  int X, Y, W, H;
  int Order;  // place in the template and so in the tab order
  std::uint32_t Style;
  int BitmapId;  // pictures only
};

// What a screen reader calls a control whose caption is painted beside it rather than tied to
// it (edits, drop-down lists, list boxes), or whose own text says too little.
struct ControlName {
  int Id;
  const char* Name;  // Windows-1252 bytes
};

struct DialogTemplate {
  int Id;
  const char* FontName;
  int PointSize;
  int Width, Height;
  const char* Caption;
  std::span<const DialogControl> Controls;  // in template (creation and tab) order
  std::span<const ControlName> AccessibleNames;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

// Dialog units to pixels as the original platform does it: rounded MulDiv by the font's
// average character width over 4 and its height over 8, applied to both corners.
int MulDiv(int number, int numerator, int denominator);
TRect MapDialogRect(int x, int y, int w, int h, int baseUnitX, int baseUnitY);

// The base units at the standard screen settings (96 dpi, the template font).
inline constexpr int kStandardBaseUnitX = 6;
inline constexpr int kStandardBaseUnitY = 13;
