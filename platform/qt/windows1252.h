#pragma once

#include <QString>
#include <string>
#include <string_view>

// Texts cross the window-system boundary as Windows-1252 bytes. Every byte has a character:
// 0x80..0x9F as Windows-1252 defines them (the five it leaves open, 0x81 0x8D 0x8F 0x90 0x9D,
// stand for the control characters of the same number), all others as in Latin-1. A character
// that Windows-1252 cannot hold becomes '?', one byte, even outside the BMP.

QString FromWindows1252(std::string_view bytes);
std::string ToWindows1252(QStringView text);

// True when every character of the text has a byte of its own in Windows-1252.
bool HoldsOnlyWindows1252(QStringView text);

// The text as a C string would carry it: the bytes before the first NUL.
std::string_view UpToNul(std::string_view bytes);
