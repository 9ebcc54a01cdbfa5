#include "dialog/vellora.h"

void Vellora::AddDebugLine(const char* text) {
  Debug.Add(text);
}

void Vellora::CmClearList() {
  Debug.Clear();
}

void Vellora::OnUdpMessage(const std::string& line) {
  AddDebugLine(line.c_str());
}
