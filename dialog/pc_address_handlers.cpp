#include "dialog/vellora.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"

void Vellora::SelectPcAddress() {
  const int picked = PcIpCombo->GetSelIndex();
  if (picked < 0 || picked >= Udp.PcAddresses().Count()) return;
  // The address the entry shows, wherever the system lists it now.
  const std::uint32_t address = Udp.PcAddresses().At(picked).Address;
  if (Udp.ReadPcAddresses()) ShowPcAddressList();
  if (Udp.PcAddresses().Find(address) < 0) {
    DropPcAddress();
    return;
  }
  Udp.Choose(address);
  PcIpCombo->SetSelIndex(Udp.ChosenPosition());
  ShowPcAddressInCaption();

  Udp.Open(DottedQuad(NetworkToHostLong(address)), "8003");
  Terminal.NewSocket(address);
  ClearGatewayList();
  CmSearch();
}

void Vellora::RefreshPcAddressList() {
  if (!Udp.ReadPcAddresses()) return;
  ShowPcAddressList();
  if (Udp.Chosen()) {
    if (Udp.ChosenPosition() < 0) {
      DropPcAddress();
      return;
    }
    ShowPcAddressInCaption();
  } else if (const int take = Udp.AddressToTake(); take >= 0) {
    // A PC that had no address at start takes the first that comes (or the one asked for), as
    // it would have at start; an address the operator chose and lost is not replaced behind
    // their back.
    PcIpCombo->SetSelIndex(take);
    SelectPcAddress();
  }
}

void Vellora::ShowPcAddressList() {
  const PcAddressList& listed = Udp.PcAddresses();
  PcIpCombo->ClearList();
  for (int i = 0; i < listed.Count(); ++i) {
    PcIpCombo->AddString(listed.EntryText(i));
    PcIpCombo->SetItemToolTip(i, listed.At(i).Interface);
  }
  PcIpCombo->SetSelIndex(Udp.ChosenPosition());
}

void Vellora::ShowPcAddressInCaption() {
  const std::string label = Format("%d: %s ", Udp.ChosenPosition() + 1,
                                   DottedQuad(NetworkToHostLong(Udp.Chosen().value_or(0))).c_str());
  CaptionText = Format("%s (IP %s)", kBanner, label.c_str());
  Ws().SetFrameCaption(CaptionText);
}

void Vellora::ShowBannerCaption() {
  CaptionText = kBanner;
  Ws().SetFrameCaption(CaptionText);
}

void Vellora::DropPcAddress() {
  Terminal.DropSocket();  // ends the connection as its button would
  Udp.Forget();
  SearchWaiting.Stopped();
  PcIpCombo->SetSelIndex(-1);
  ShowBannerCaption();
  // Nothing of the old network stays on screen: list, count and fields empty together.
  ClearGatewayList();
  ShowGatewayRecord(Gateways.At(0));
  AddDebugLine("Vellora: The chosen PC address is no longer available");
}
