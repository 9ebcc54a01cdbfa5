#include "dialog/vellora.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"

void Vellora::SelectPcAddress() {
  const int picked = PcIpCombo->GetSelIndex();
  if (picked < 0 || picked >= ShownPcAddresses.Count()) return;
  // The entry the operator saw and picked: its address on its interface, wherever the system
  // lists it now, and nothing else.
  const PcAddress entry = ShownPcAddresses.At(picked);
  Udp.Refresh();
  if (Udp.PcAddresses().Find(entry) < 0) {
    DropPcAddress(ChoiceChange::Lost, entry);
    return;
  }
  Udp.Choose(entry);
  PcIpCombo->SetSelIndex(ShownPcAddresses.Find(entry));
  ShowPcAddressInCaption();

  Udp.Open(DottedQuad(NetworkToHostLong(entry.Address)), "8003");
  Terminal.NewSocket(entry);
  ClearGatewayList();
  CmSearch();
}

void Vellora::RefreshPcAddressList() {
  Udp.Refresh();
}

void Vellora::OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) {
  // The sockets close at once; only the list's entries wait while the operator has it open.
  if (chosen != ChoiceChange::Kept) DropPcAddress(chosen, lost);
  PcListStale = true;
  if (!PcListOpen) FollowPcAddresses();
}

void Vellora::EvPcListOpening() {
  Udp.Refresh();  // the list opens with the addresses the PC has now
  PcListOpen = true;
}

void Vellora::EvPcListClosed() {
  PcListOpen = false;
  if (PcListStale) FollowPcAddresses();
}

void Vellora::FollowPcAddresses() {
  PcListStale = false;
  ShowPcAddressList();
  if (Udp.Chosen()) {
    ShowPcAddressInCaption();
  } else if (const int take = Udp.AddressToTake(); take >= 0) {
    // A PC that had no address at start takes the first that comes (or the one asked for), as
    // it would have at start; an entry the operator chose and lost is not replaced behind
    // their back.
    PcIpCombo->SetSelIndex(take);
    SelectPcAddress();
  }
}

void Vellora::ShowPcAddressList() {
  ShownPcAddresses = Udp.PcAddresses();
  PcIpCombo->ClearList();
  for (int i = 0; i < ShownPcAddresses.Count(); ++i) {
    const PcAddress& entry = ShownPcAddresses.At(i);
    PcIpCombo->AddString(ShownPcAddresses.EntryText(i));
    PcIpCombo->SetItemToolTip(
        i, entry.LinkUp ? entry.InterfaceName : entry.InterfaceName + ", link down");
  }
  PcIpCombo->SetSelIndex(Udp.ChosenPosition());
}

void Vellora::ShowPcAddressInCaption() {
  const std::string label = Udp.PcAddresses().EntryText(Udp.ChosenPosition()) + " ";
  CaptionText = Format("%s (IP %s)", kBanner, label.c_str());
  Ws().SetFrameCaption(CaptionText);
}

void Vellora::ShowBannerCaption() {
  CaptionText = kBanner;
  Ws().SetFrameCaption(CaptionText);
}

void Vellora::DropPcAddress(ChoiceChange why, const PcAddress& lost) {
  Terminal.DropSocket();  // ends the connection as its button would
  Udp.Forget();
  SearchWaiting.Stopped();
  if (!PcListOpen) PcIpCombo->SetSelIndex(-1);
  ShowBannerCaption();
  // Nothing of the old network stays on screen: list, count and fields empty together.
  ClearGatewayList();
  ShowGatewayRecord(Gateways.At(0));
  AddDebugLine("Vellora: The chosen PC address is no longer available");
  if (why == ChoiceChange::Replugged) {
    AddDebugLine(("Vellora: The interface " + lost.InterfaceName +
                  " was removed and made again; choose its address under PC-IP: to work on it")
                     .c_str());
  }
}
