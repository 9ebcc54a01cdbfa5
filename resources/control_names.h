#pragma once

#include <span>

#include "platform/dialog_template.h"

// The names a screen reader gives the main dialog's controls: for each edit, drop-down list
// and list box the caption painted beside it (with the part of a field it holds), and for the
// buttons and check boxes whose own text says too little, what they do.
std::span<const ControlName> MainDialogControlNames();
