#include <cstdio>

#include "dialog/vellora.h"
#include "protocol/messages.h"
#include "protocol/text_values.h"

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
  // A search that left is waited for; one that could not be sent has said why already.
  UnansweredSearchTicks = SendSearchRequest() ? 0 : -1;
}

bool Vellora::SendSearchRequest() {
  const auto request = BuildSearchRequest();
  return SendDatagram(request.data(), static_cast<int>(request.size()));
}

void Vellora::NoteUnansweredSearch() {
  constexpr int kTicksToWait = 3;
  if (UnansweredSearchTicks < 0 || ++UnansweredSearchTicks < kTicksToWait) return;
  UnansweredSearchTicks = -1;
  // The usual cause: a host firewall that lets in only answers to the PC's own connections.
  AddDebugLine(("Vellora: No module answered the search from " +
                DottedQuad(NetworkToHostLong(ChosenAddress.value_or(0))) +
                ". If modules are connected, a firewall on this PC may drop their replies: UDP "
                "from port 8003 must be allowed in.")
                   .c_str());
}

void Vellora::AddGatewayReply(const GatewayRecord& record, const char* macText) {
  UnansweredSearchTicks = -1;
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
