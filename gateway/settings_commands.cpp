#include "dialog/vellora.h"
#include "gateway/field_text.h"
#include "protocol/messages.h"

namespace {

const char* const kAddressNames[4] = {"IP", "Netmask", "Gateway", "DNS IP"};

}  // namespace

void Vellora::CmSet() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;

  // An empty field, an octet above 255 or a port above 65535 would give the module settings
  // nobody typed: send nothing and say which field it is.
  for (int group = 0; group < 4; ++group) {
    for (int k = 0; k < 4; ++k) {
      TEdit& edit = *OctetEdits[4 + 4 * group + k];
      if (!ReadDecimal(edit.GetWindowText(19))) {
        RefuseEmptyField("Set", Format("%s octet %d", kAddressNames[group], k + 1), edit.GetId());
        return;
      }
      if (edit.IsValid(false)) continue;
      AddDebugLine(Format("Vellora: Set not sent, %s octet %d is %s, not in the range 0 to 255",
                          kAddressNames[group], k + 1, edit.GetWindowText(19).c_str())
                       .c_str());
      edit.SetFocus();
      return;
    }
  }
  if (!ReadDecimal(PortEdit->GetWindowText(19))) {
    RefuseEmptyField("Set", "Port", IdPortEdit);
    return;
  }
  if (!PortEdit->IsValid(false)) {
    AddDebugLine(Format("Vellora: Set not sent, Port is %s, not in the range 0 to 65535",
                        PortEdit->GetWindowText(19).c_str())
                     .c_str());
    PortEdit->SetFocus();
    return;
  }

  ReadGatewayFields(index);
  const auto request = BuildSetConfigRequest(GatewayList[index]);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::CmReboot() {
  const int index = GatewayCombo->GetSelIndex();
  if (index < 0 || index >= GatewayCount) return;
  const auto request = BuildRebootRequest(GatewayList[index]);
  SendDatagram(request.data(), static_cast<int>(request.size()));
}
