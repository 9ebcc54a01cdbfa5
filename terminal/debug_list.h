#pragma once

#include "platform/controls.h"
#include "platform/log_file.h"

// The program's one log, in a list box: lines in the order they came, at most 501, the newest
// scrolled into view. Every line also goes to the log file, when there is one; the first time
// the file fails to take one, the list says so.
class DebugList {
 public:
  explicit DebugList(TListBox& list) : List(list) {}

  void Add(const char* line);
  void Clear();
  void CopyTo(TLogFile* file) { File = file; }
  // A line for the log file only.
  void Record(const std::string& line);

 private:
  void Show(const char* line);

  TListBox& List;
  TLogFile* File = nullptr;
  bool FileFailed = false;
};
