#include <cstdio>

#include "dialog/vellora.h"

void Vellora::SetupWindow() {
  TDialog::SetupWindow();

  DebugList->SetHorizontalExtent(2000);

  if (Ws().SetTimer(StatsTimerId, StatsTimerPeriod) == 0) {
    // The sentence stands in the caption bar; the body is empty.
    Ws().MessageBox(true, "", "Kein Timer f\xFCr Refresh des Socket-Dialogs verf\xFCgbar!", MB_OK);
  }

  {
    auto hostInfo = Sockets.NewHostInfoManager();
    const std::string hostName = hostInfo->GetHostName(200);
    if (hostInfo->GetHostInfo(HostEntry, hostName) != 0) HostEntry = THostEntry();
  }

  PcAddressIndex = 0;
  for (int i = 0; i < HostEntry.GetAddressCount(); ++i) {
    const std::uint32_t a = NetworkToHostLong(HostEntry.GetNthINetAddress(i));
    char entry[40];
    std::snprintf(entry, sizeof entry, "%d: %d.%d.%d.%d", i + 1, static_cast<int>(a >> 24),
                  static_cast<int>((a >> 16) & 0xFF), static_cast<int>((a >> 8) & 0xFF),
                  static_cast<int>(a & 0xFF));
    PcIpCombo->AddString(entry);
  }
  PcIpCombo->SetSelIndex(0);

  DebugList->SetFixedPitchFont();

  if (HostEntry.GetAddressCount() > 0) {
    SelectPcAddress();
  } else {
    // Nothing to bind to: no socket, and the user sees why.
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
