#pragma once

#include <string>

// A record kept on disk, one line at a time: each line gets the local time in ISO 8601 in
// front and is on disk when the call returns. Texts are Windows-1252 bytes, like every text
// of the program.
class TLogFile {
 public:
  virtual ~TLogFile() = default;
  // False when the line could not be written.
  virtual bool AppendLine(const std::string& text) = 0;
};
