#include "dialog/vellora.h"
#include "resources/control_ids.h"

namespace {

// Production controls that only the expanded form shows.
constexpr int kExpandedOnly[] = {IdSetIncrButton, IdConnectButton, IdStateText, IdSetMacButton};

}  // namespace

void Vellora::ToggleExpanded() {
  if (FrameAlias && FrameAlias->IsIconic()) return;

  if (Collapsed) {
    Ws().SetDialogSize(ExpandedWidth, ExpandedHeight);
    for (int id : kExpandedOnly)
      Ws().ShowWindow(id, SW_SHOWNORMAL);
    for (auto& edit : MacEdits)
      edit->EnableWindow(true);
    for (auto& edit : SerialEdits)
      edit->ShowWindow(SW_SHOWNORMAL);
    ServerEdit->EnableWindow(true);
    ExpandButton->SetCaption("<<");
  } else {
    Ws().SetDialogSize(CollapsedWidth, CollapsedHeight);
    ConnectButton->ShowWindow(SW_HIDE);
    StateText->ShowWindow(SW_HIDE);
    SetMacButton->ShowWindow(SW_HIDE);
    for (auto& edit : MacEdits)
      edit->EnableWindow(false);
    for (auto& edit : SerialEdits)
      edit->ShowWindow(SW_HIDE);
    SetIncrButton->ShowWindow(SW_HIDE);
    ServerEdit->EnableWindow(false);
    ExpandButton->SetCaption(">>");
  }
  Collapsed = !Collapsed;
}

void Vellora::LockGatewaySelection(bool locked) {
  GatewayCombo->EnableWindow(!locked);
  SearchButton->EnableWindow(!locked);
}
