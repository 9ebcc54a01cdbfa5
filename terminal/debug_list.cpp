#include "terminal/debug_list.h"

namespace {

constexpr int kKeptBeforeAdd = 500;  // with the new line the list holds at most 501

}  // namespace

void DebugList::Add(const char* line) {
  Show(line);
  Record(line);
}

void DebugList::Record(const std::string& line) {
  std::string error;
  if (File == nullptr || File->AppendLine(line, error)) return;
  Show(("Vellora: The record file cannot be written (" + error + "); a line is missing from it")
           .c_str());
}

void DebugList::Show(const char* line) {
  if (List.GetCount() > kKeptBeforeAdd) List.DeleteString(0);
  List.AddString(line);
  List.SetCaretIndex(List.GetCount() - 1, true);
}

void DebugList::Clear() {
  while (List.GetCount() > 0)
    List.DeleteString(0);
}
