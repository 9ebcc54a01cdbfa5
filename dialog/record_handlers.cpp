#include "dialog/vellora.h"
#include "gateway/record_texts.h"

void Vellora::ShowGatewayRecord(const GatewayRecord& record) {
  const RecordTexts texts = TextsOfRecord(record);
  for (std::size_t i = 0; i < texts.Mac.size(); ++i)
    MacEdits[i]->SetWindowText(texts.Mac[i]);
  for (std::size_t k = 0; k < texts.ActualIp.size(); ++k)
    ActualIpEdits[k]->SetWindowText(texts.ActualIp[k]);
  for (std::size_t part = 0; part < texts.Settings.size(); ++part)
    SettingParts[part]->SetValue(texts.Settings[part]);
  for (std::size_t pair = 0; pair < texts.Serial.size(); ++pair)
    SerialShown[pair]->SetWindowText(texts.Serial[pair]);
}

void Vellora::EvGatewaySelChange() {
  const int index = SelectedGateway();
  if (index >= 0) ShowGatewayRecord(Gateways.At(index));
}

void Vellora::SendOrRefuse(const char* command, const GatewayRecord& module,
                           const CommandOutcome& outcome, std::span<TControl* const> fields,
                           const std::optional<MacAddress>& macAfter) {
  if (Station && Station->Recording()) {
    // The refusal is said, and recorded, by the write.
    if (outcome.Refused) fields[static_cast<std::size_t>(outcome.Refused->Field)]->SetFocus();
    Station->Write(command, module, outcome, macAfter, WriteIo(), WritePlace(), nullptr);
    return;
  }
  if (outcome.Refused) {
    AddDebugLine(outcome.Refused->Line.c_str());
    fields[static_cast<std::size_t>(outcome.Refused->Field)]->SetFocus();
    return;
  }
  Udp.SendDatagram(outcome.Request);
}
