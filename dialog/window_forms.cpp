#include "dialog/vellora.h"

void Vellora::ToggleExpanded() {
  if (FrameAlias && FrameAlias->IsIconic()) return;

  if (Collapsed) {
    Ws().SetDialogSize(ExpandedWidth, ExpandedHeight);
    // The production controls that only the expanded form shows.
    for (TControl* control :
         {static_cast<TControl*>(SetIncrButton), static_cast<TControl*>(ConnectButton),
          static_cast<TControl*>(StateText), static_cast<TControl*>(SetMacButton)})
      control->ShowWindow(true);
    for (TControl* edit : MacEdits)
      edit->EnableWindow(true);
    for (TControl* edit : SerialEdits)
      edit->ShowWindow(true);
    ServerEdit->EnableWindow(true);
    ExpandButton->SetCaption("<<");
  } else {
    Ws().SetDialogSize(CollapsedWidth, CollapsedHeight);
    ConnectButton->ShowWindow(false);
    StateText->ShowWindow(false);
    SetMacButton->ShowWindow(false);
    for (TControl* edit : MacEdits)
      edit->EnableWindow(false);
    for (TControl* edit : SerialEdits)
      edit->ShowWindow(false);
    SetIncrButton->ShowWindow(false);
    ServerEdit->EnableWindow(false);
    ExpandButton->SetCaption(">>");
  }
  Collapsed = !Collapsed;
}

void Vellora::LockGatewaySelection(bool locked) {
  GatewayCombo->EnableWindow(!locked);
  SearchButton->EnableWindow(!locked);
}
