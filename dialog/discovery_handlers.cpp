#include "dialog/vellora.h"
#include "protocol/messages.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"

void Vellora::ShowNoAnswer(const PcAddress& from) {
  const auto lines = SearchWait::NoAnswerLines(from);
  for (const std::string& line : lines)
    AddDebugLine(line.c_str());
  // The collapsed window hides the debug list: the count that stays 0 carries the hint.
  const std::string prefix = "Vellora: ";
  GatewayCount->SetToolTip(lines[0].substr(prefix.size()) + "\n" + lines[1].substr(prefix.size()));
}

void Vellora::CmSearch() {
  ClearGatewayList();
  ShowGatewayRecord(Gateways.At(0));
  // A search that left is waited for; one that could not be sent has said why already.
  if (Udp.SendDatagram(BuildSearchRequest())) {
    SearchWaiting.Started();
  } else {
    SearchWaiting.Stopped();
  }
}

void Vellora::ReceiveGatewayReply() {
  const std::optional<ParsedReply> reply = Udp.ReceiveReply();
  if (!reply) return;
  SearchWaiting.Answered();
  GatewayCount->SetToolTip("");
  if (Gateways.Add(reply->Record) == GatewayList::Taken::New) {
    GatewayCombo->AddString(reply->MacText);
    ShowGatewayCount();
  }
  // The first gateway found is shown without a click, again at every reply while it is alone.
  if (GatewayCombo->GetCount() == 1) {
    GatewayCombo->SetSelIndex(0);
    ShowGatewayRecord(Gateways.At(0));
  }
}

void Vellora::ClearGatewayList() {
  GatewayCombo->ClearList();
  Gateways.Clear();
  ShowGatewayCount();
}

void Vellora::ShowGatewayCount() {
  GatewayCount->SetText(std::to_string(Gateways.Count()));
}

int Vellora::SelectedGateway() const {
  const int index = GatewayCombo->GetSelIndex();
  return index >= 0 && index < Gateways.Count() ? index : -1;
}
