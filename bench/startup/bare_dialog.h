#pragma once

class QWidget;

// The main dialog's template built with plain Qt widgets and nothing else: the same controls,
// texts, geometry, font and images as the program's window, with no window-system layer and
// no program behind it. The yardstick the program's start-up is measured against.
QWidget* BuildBareMainWindow();
