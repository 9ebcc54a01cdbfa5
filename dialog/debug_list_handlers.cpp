#include "dialog/vellora.h"
#include "protocol/messages.h"
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

bool Vellora::OnRequestLeaving(const PcAddress& from, std::span<const std::uint8_t> request) {
  // The production record: which module got which MAC, serial number or EEPROM byte. A request
  // that changes a module leaves only once its line is on disk.
  if (Options.Record == nullptr) return true;
  const std::string line = RequestRecordLine(from, request);
  if (request[1] == CmdSearchRequest) {
    Debug.Record(line);  // a search changes no module: it goes whether its line is kept or not
    return true;
  }
  std::string error;
  if (Options.Record->AppendLineDurably(line, error)) return true;
  Debug.Show(Format("Vellora: %s not sent: the record file cannot be written (%s)",
                    GatewayCommandName(request[1]), error.c_str())
                 .c_str());
  return false;
}
