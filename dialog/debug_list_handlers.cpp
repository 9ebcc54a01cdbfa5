#include "dialog/vellora.h"
#include "protocol/request_text.h"
#include "protocol/text_values.h"

void Vellora::AddDebugLine(const char* text) {
  Debug.Add(text);
}

void Vellora::CmClearList() {
  Debug.Clear();
}

void Vellora::OnUdpMessage(const std::string& line) {
  AddDebugLine(line.c_str());
}

void Vellora::OnRequestSent(const PcAddress& from, std::span<const std::uint8_t> request) {
  // The production record: which module got which MAC, serial number or EEPROM byte.
  if (Options.Record != nullptr) Debug.Record(RequestRecordLine(from, request));
}
