#pragma once

#include <QStringList>

// The options that QApplication takes out of the command line for itself when it is made
// (-style Fusion, -platform wayland, -reverse, ...), written with one dash or two as it reads
// them. The program reads its own options before a window system exists, so that --help and a
// refusal need no display; these are left in the command line for QApplication to take.
//
// The arguments without Qt's options and their values: what the program's own options are read
// from. Nothing after "--" is taken for Qt's.
QStringList WithoutQtOptions(const QStringList& arguments);
