#pragma once

#include <string>

// A record kept on disk, one line at a time: each line gets the local time in ISO 8601 in
// front. Texts are Windows-1252 bytes, like every text of the program. A line is stored whole
// or not at all; a line that could not be stored is counted, and the next line stored is
// preceded by one that says how many were lost and since when.
class TLogFile {
 public:
  virtual ~TLogFile() = default;

  // Appends the line. False, with the reason in `error`, when it was not stored.
  bool AppendLine(const std::string& text, std::string& error) {
    return Store(text, Durability::Written, error);
  }
  // As above, for a caller that has no use for the reason.
  bool AppendLine(const std::string& text) {
    std::string error;
    return Store(text, Durability::Written, error);
  }
  // Appends the line and returns true only once it is on disk (fdatasync): the line of a
  // request that writes to a module, which may leave only after it. False, with the reason in
  // `error`, when it is not known to be on disk: the request must then not leave.
  bool AppendLineDurably(const std::string& text, std::string& error) {
    return Store(text, Durability::OnDisk, error);
  }

 protected:
  enum class Durability { Written, OnDisk };

 private:
  virtual bool Store(const std::string& text, Durability durability, std::string& error) = 0;
};
