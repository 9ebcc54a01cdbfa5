#include "dialog/vellora.h"
#include "gateway/record_texts.h"
#include "resources/control_ids.h"

namespace {

constexpr int kSerialShownIds[4] = {IdSerialShown1, IdSerialShown2, IdSerialShown3, IdSerialShown4};

}  // namespace

void Vellora::ShowGatewayRecord(const GatewayRecord& record) {
  const RecordTexts texts = TextsOfRecord(record);
  // The address groups as the octet edits hold them: actual IP, IP, netmask, gateway, DNS.
  auto showAddress = [this](int group, const std::array<std::string, 4>& octets) {
    for (std::size_t k = 0; k < 4; ++k)
      Ws().SetDlgItemText(kOctetEditIds[4 * group + static_cast<int>(k)], octets[k]);
  };
  for (std::size_t i = 0; i < texts.Mac.size(); ++i)
    Ws().SetDlgItemText(kMacEditIds[i], texts.Mac[i]);
  showAddress(0, texts.ActualIp);
  showAddress(1, texts.Ip);
  showAddress(3, texts.GatewayIp);
  showAddress(2, texts.Netmask);
  Ws().SetDlgItemText(IdNameEdit, texts.Name);
  Ws().SetDlgItemText(IdPortEdit, texts.Port);
  Ws().CheckDlgButton(IdUseDhcpCheck, texts.UseDhcp);
  Ws().SetDlgItemText(IdServerEdit, texts.Server);
  for (std::size_t pair = 0; pair < texts.Serial.size(); ++pair)
    Ws().SetDlgItemText(kSerialShownIds[pair], texts.Serial[pair]);
  Ws().CheckDlgButton(IdUseProxyCheck, texts.UseProxy);
  Ws().SetDlgItemText(IdProxyEdit, texts.ProxyServer);
  showAddress(4, texts.DnsIp);
}

void Vellora::EvGatewaySelChange() {
  const int index = SelectedGateway();
  if (index >= 0) ShowGatewayRecord(Gateways.At(index));
}

void Vellora::SendOrRefuse(const CommandOutcome& outcome, std::span<const int> fieldIds) {
  if (outcome.Refused) {
    AddDebugLine(outcome.Refused->Line.c_str());
    Ws().SetFocus(fieldIds[static_cast<std::size_t>(outcome.Refused->Field)]);
    return;
  }
  Udp.SendDatagram(outcome.Request);
}
