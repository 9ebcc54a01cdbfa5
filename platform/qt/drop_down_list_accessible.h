#pragma once

// Makes Qt's accessibility layer describe every DropDownList by its accessible name, with the
// chosen entry as its value. Qt's own interface for a drop-down list on Unix reports the chosen
// entry as the name and ignores the accessible name, so an empty list, or one with nothing
// chosen yet, has no name at all. Call once a QApplication exists; later calls do nothing.
void InstallDropDownListAccessibility();
