#include <cstdio>

#include "dialog/vellora.h"
#include "protocol/messages.h"

namespace {

void ShowCount(TWindowSystem& ws, int count) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", count);
  ws.SetDlgItemText(IdGatewayCount, text);
}

}  // namespace

void Vellora::ClearGatewayList() {
  GatewayCombo->ClearList();
  for (GatewayRecord& record : GatewayList)
    record = kEmptyGatewayRecord;
  GatewayCount = 0;
  ShowCount(Ws(), GatewayCount);
}

void Vellora::CmSearch() {
  ClearGatewayList();
  ShowGatewayRecord(GatewayList[0]);
  SendSearchRequest();
}

void Vellora::SendSearchRequest() {
  const auto request = BuildSearchRequest();
  SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::AddGatewayReply(const GatewayRecord& record, const char* macText) {
  if (GatewayCombo->FindExactString(macText) < 0) {
    // The list holds 20; a further gateway is not taken, so list, combo and count agree.
    if (GatewayCount >= kMaxGateways) return;
    GatewayCombo->AddString(macText);
    GatewayList[GatewayCount] = record;
    ++GatewayCount;
    ShowCount(Ws(), GatewayCount);
  }
  if (GatewayCombo->GetCount() == 1) {
    GatewayCombo->SetSelIndex(0);
    ShowGatewayRecord(GatewayList[0]);
  }
}
