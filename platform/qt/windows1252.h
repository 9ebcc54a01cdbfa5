#pragma once

#include <QString>
#include <string>
#include <string_view>

// Texts cross the window-system boundary as Windows-1252 bytes (protocol/windows1252.h). A
// character that Windows-1252 cannot hold becomes '?', one byte, even outside the BMP.

QString FromWindows1252(std::string_view bytes);
std::string ToWindows1252(QStringView text);

// True when every character of the text has a byte of its own in Windows-1252.
bool HoldsOnlyWindows1252(QStringView text);

// The text as a C string would carry it: the bytes before the first NUL.
std::string_view UpToNul(std::string_view bytes);
