#include <cstdio>

#include "dialog/vellora.h"

void Vellora::SetupWindow() {
  TDialog::SetupWindow();

  DebugList->SetHorizontalExtent(2000);

  if (Ws().SetTimer(StatsTimerId, StatsTimerPeriod) == 0) {
    // The sentence stands in the caption bar; the body is empty.
    Ws().MessageBox(true, "", "Kein Timer f\xFCr Refresh des Socket-Dialogs verf\xFCgbar!", MB_OK);
  }

  // The list follows the PC's addresses as they change, not only as they were at start.
  AddressWatch = Sockets.WatchAddresses(*this, WM_ADDRESS_CHANGE);
  ReadPcAddresses();
  PcAddressIndex = 0;
  PcIpCombo->SetSelIndex(0);

  DebugList->SetFixedPitchFont();

  if (PcAddresses.Count() > 0) {
    SelectPcAddress();
  } else {
    // Nothing to bind to: no socket, and the user sees why. The caption is the banner's
    // from the first paint all the same.
    std::snprintf(CaptionText, sizeof CaptionText, "%s", kBanner);
    Ws().SetFrameCaption(CaptionText);
    AddDebugLine("Vellora: No IPv4 address found on this PC, no search possible");
  }

  LockGatewaySelection(false);

  const TRect client = Ws().GetDialogClientRect();
  ExpandedWidth = client.Width();
  ExpandedHeight = client.Height();
  CollapsedWidth = ExpandedWidth;
  const TRect expand = Ws().GetControlRect(IdExpandButton);
  CollapsedHeight = expand.Bottom - 27;

  FrameAlias = std::make_unique<TFrameAlias>(Ws());

  Collapsed = false;
  ExpandButton->SetCaption(">>");
  ToggleExpanded();
}
