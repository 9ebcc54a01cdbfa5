#include "dialog/vellora.h"

TypedSettings Vellora::ReadSettingFields() const {
  TypedSettings typed;
  for (std::size_t part = 0; part < typed.size(); ++part)
    typed[part] = SettingParts[part]->Value();
  return typed;
}

void Vellora::CmSet() {
  const int index = SelectedGateway();
  if (index < 0) return;
  // The list keeps what was typed, whether or not the module takes it.
  GatewayRecord record = Gateways.At(index);
  const CommandOutcome outcome = SetCommand(record, ReadSettingFields());
  if (!outcome.Refused) Gateways.Replace(index, record);
  SendOrRefuse("set", record, outcome, SettingParts);
}

void Vellora::CmReboot() {
  const int index = SelectedGateway();
  if (index >= 0) SendOrRefuse("reboot", Gateways.At(index), RebootCommand(Gateways.At(index)), {});
}
