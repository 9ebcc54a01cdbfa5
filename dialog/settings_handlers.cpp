#include "dialog/vellora.h"
#include "resources/control_ids.h"

namespace {

// The fields "Set" reads, numbered as its refusals number them: the octets of IP, netmask,
// default gateway and DNS server, then the port.
constexpr std::array<int, kPortField + 1> kSetFieldIds = [] {
  std::array<int, kPortField + 1> ids{};
  for (int i = 0; i < kPortField; ++i)
    ids[static_cast<std::size_t>(i)] = kOctetEditIds[4 + i];
  ids[kPortField] = IdPortEdit;
  return ids;
}();

}  // namespace

TypedSettings Vellora::ReadSettingFields() const {
  TypedSettings typed;
  for (std::size_t i = 0; i < typed.Octets.size(); ++i)
    typed.Octets[i] = Ws().GetDlgItemText(kSetFieldIds[i], 19);
  typed.Port = Ws().GetDlgItemText(IdPortEdit, 19);
  typed.UseDhcp = Ws().IsDlgButtonChecked(IdUseDhcpCheck);
  typed.Name = Ws().GetDlgItemText(IdNameEdit, 33);
  typed.Server = Ws().GetDlgItemText(IdServerEdit, 65);
  typed.UseProxy = Ws().IsDlgButtonChecked(IdUseProxyCheck);
  typed.ProxyServer = Ws().GetDlgItemText(IdProxyEdit, 65);
  return typed;
}

void Vellora::CmSet() {
  const int index = SelectedGateway();
  if (index < 0) return;
  // The list keeps what was typed, whether or not the module takes it.
  GatewayRecord record = Gateways.At(index);
  const CommandOutcome outcome = SetCommand(record, ReadSettingFields());
  if (!outcome.Refused) Gateways.Replace(index, record);
  SendOrRefuse(outcome, kSetFieldIds);
}

void Vellora::CmReboot() {
  const int index = SelectedGateway();
  if (index >= 0) SendOrRefuse(RebootCommand(Gateways.At(index)), {});
}
