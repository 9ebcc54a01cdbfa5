#pragma once

#include "platform/dialog_template.h"

// The main dialog's template, resource 11000: every control's id, kind, text, place in dialog
// units, tab order and style.
inline constexpr int kMainDialogId = 11000;
const DialogTemplate& MainDialogTemplate();

// Resource ids of the images.
inline constexpr int kIconId = 11300;
inline constexpr int kBannerBitmapId = 11228;
inline constexpr int kBannerBackgroundBitmapId = 12262;
