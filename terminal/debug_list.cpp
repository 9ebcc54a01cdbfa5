#include "dialog/vellora.h"

namespace {

constexpr int kKeptBeforeAdd = 500;  // with the new line the list holds at most 501

}  // namespace

void Vellora::AddDebugLine(const char* text) {
  if (DebugList->GetCount() > kKeptBeforeAdd) DebugList->DeleteString(0);
  DebugList->AddString(text);
  DebugList->SetCaretIndex(DebugList->GetCount() - 1, true);
}

void Vellora::CmClearList() {
  while (DebugList->GetCount() > 0)
    DebugList->DeleteString(0);
}
