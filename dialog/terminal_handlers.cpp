#include "dialog/vellora.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"

void Vellora::CmConnect() {
  if (Terminal.State() != TcpState::Idle) {
    Terminal.End();
    return;
  }
  if (!Terminal.HasSocket()) {
    AddDebugLine("Vellora: No PC address chosen, cannot connect");
    return;
  }
  // The gateway selected now, at its address in use. Without one there is nothing to connect
  // to: an empty target would be looked up and never lead anywhere.
  const int index = SelectedGateway();
  if (index < 0) {
    AddDebugLine("Vellora: No module selected, cannot connect");
    return;
  }
  Terminal.Connect(DottedQuad(Gateways.At(index).ActualIp));
}

void Vellora::ReadTcpData() {
  Terminal.ReadTcpData();
}

void Vellora::OnTcpStateEntered(TcpState state) {
  switch (state) {
    case TcpState::Idle:
      StateText->SetText("State: Idle");
      ConnectButton->SetCaption("Connect");
      Ws().SetDialogCaption(CaptionText + " nicht verbunden");
      LockGatewaySelection(false);
      break;
    case TcpState::LookingUp:
      StateText->SetText("State: Looking Up Address...");
      ConnectButton->SetCaption("Cancel");
      LockGatewaySelection(false);
      break;
    case TcpState::Connecting:
      StateText->SetText("State: connecting...");
      ConnectButton->SetCaption("Cancel");
      LockGatewaySelection(false);
      break;
    case TcpState::Connected:
      StateText->SetText("State: Connected");
      ConnectButton->SetCaption("Disconnect");
      Ws().SetDialogCaption(
          CaptionText + " verbunden mit " +
          TINetSocketAddress::ConvertAddress(Terminal.Peer().GetNetworkAddress()));
      // The gateway cannot change under an open connection.
      LockGatewaySelection(true);
      break;
  }
}

void Vellora::OnTerminalMessage(const std::string& line) {
  AddDebugLine(line.c_str());
}

void Vellora::OnTerminalLine(const char* line) {
  AddDebugLine(line);
}
