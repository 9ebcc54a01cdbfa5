#pragma once

#include <string>

#include "platform/controls.h"
#include "platform/log_file.h"

// The program's one log, in a list box: lines in the order they came, at most 501, the newest
// scrolled into view. Every line also goes to the record file, when there is one; each time
// the file fails to take one, the list says so and why.
class DebugList {
 public:
  explicit DebugList(TListBox& list) : List(list) {}

  void Add(const char* line);
  void Clear();
  void CopyTo(TLogFile* file) { File = file; }
  // A line for the record only.
  void Record(const std::string& line);
  // A line for the list only: one that the record cannot take now.
  void Show(const char* line);

 private:
  TListBox& List;
  TLogFile* File = nullptr;
};
