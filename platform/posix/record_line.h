#pragma once

#include <string>

// "2026-12-06T14:03:05.123+01:00": the local time with its offset from UTC.
std::string LocalTimeStamp();

// One line of a record: the stamp, a blank, the Windows-1252 text in UTF-8 with every control
// byte escaped (\xNN) so that no text can break the record into more lines, and a line end.
std::string RecordLine(const std::string& stamp, const std::string& text);
