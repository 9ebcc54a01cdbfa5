#include "dialog/vellora.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"

void Vellora::SetupWindow() {
  TDialog::SetupWindow();

  DebugListBox->SetHorizontalExtent(2000);

  if (Ws().SetTimer(kStatsTimerId, kStatsTimerPeriod) == 0) {
    // The sentence stands in the caption bar; the body is empty.
    Ws().MessageBox(true, "", "Kein Timer f\xFCr Refresh des Socket-Dialogs verf\xFCgbar!", MB_OK);
  }

  Debug.CopyTo(Options.Record);
  if (Options.PcEntry) Udp.Prefer(*Options.PcEntry);
  // The list follows the PC's addresses as they change, not only as they were at start.
  Udp.WatchPcAddresses();
  Udp.ReadPcAddresses();
  ShowPcAddressList();
  const int first = Udp.AddressToTake();
  PcIpCombo->SetSelIndex(first);

  DebugListBox->SetFixedPitchFont();

  if (first >= 0) {
    SelectPcAddress();
  } else {
    // Nothing to bind to: no socket, and the user sees why, under the banner caption.
    ShowBannerCaption();
    AddDebugLine(Options.PcEntry
                     ? ("Vellora: The PC address " + DottedQuad(Options.PcEntry->Address) + " on " +
                        Options.PcEntry->InterfaceName +
                        " asked for is not on this PC, no search possible")
                           .c_str()
                     : "Vellora: No IPv4 address found on this PC, no search possible");
  }

  LockGatewaySelection(false);

  if (Station) {
    // The serial number comes from the counter file or the pool: the edits only show it, and
    // their tool tip says where it comes from.
    for (TControl* edit : SerialEdits)
      edit->EnableWindow(false);
    Station->Open([this](const std::string& line) {
      SayFromTheLine("Vellora: " + line);
      ShowNextSerial();
    });
    ShowNextSerial();
  }

  const TRect client = Ws().GetDialogClientRect();
  ExpandedWidth = client.Width();
  ExpandedHeight = client.Height();
  CollapsedWidth = ExpandedWidth;
  // Just above the "Verify MAC" row: the ">>" button itself lies below the collapsed window.
  CollapsedHeight = ExpandButton->GetRect().Bottom - 27;

  FrameAlias = std::make_unique<TFrameAlias>(Ws());

  Collapsed = false;
  ExpandButton->SetCaption(">>");
  ToggleExpanded();
  // A production station may open with its controls shown.
  if (Options.Expanded) ToggleExpanded();
}
