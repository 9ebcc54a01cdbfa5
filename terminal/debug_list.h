#pragma once

#include "platform/controls.h"

// The program's one log, in a list box: lines in the order they came, at most 501, the newest
// scrolled into view.
class DebugList {
 public:
  explicit DebugList(TListBox& list) : List(list) {}

  void Add(const char* line);
  void Clear();

 private:
  TListBox& List;
};
