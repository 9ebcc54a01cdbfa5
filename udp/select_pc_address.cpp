#include <cstdio>

#include "dialog/vellora.h"
#include "protocol/text_values.h"

bool Vellora::ReadPcAddresses() {
  {
    auto hostInfo = Sockets.NewHostInfoManager();
    const std::string hostName = hostInfo->GetHostName(200);
    if (hostInfo->GetHostInfo(HostEntry, hostName) != 0) HostEntry = THostEntry();
  }
  if (!PcAddresses.Update(HostEntry)) return false;
  PcIpCombo->ClearList();
  for (int i = 0; i < PcAddresses.Count(); ++i) {
    PcIpCombo->AddString(PcAddresses.EntryText(i));
    PcIpCombo->SetItemToolTip(i, PcAddresses.At(i).Interface);
  }
  return true;
}

void Vellora::SelectPcAddress() {
  const int picked = PcIpCombo->GetSelIndex();
  if (picked < 0 || picked >= PcAddresses.Count()) return;
  // The address the entry shows, wherever the system lists it now.
  const std::uint32_t address = PcAddresses.At(picked).Address;
  ReadPcAddresses();
  PcAddressIndex = PcAddresses.Find(address);
  if (PcAddressIndex < 0) {
    DropPcAddress();
    return;
  }
  PcIpCombo->SetSelIndex(PcAddressIndex);
  ChosenAddress = address;
  AddressEverChosen = true;
  ShowPcAddressInCaption();

  OpenUdpEndpoint(DottedQuad(NetworkToHostLong(address)).c_str(), "8003");
  CreateTcpSocket();
  ClearGatewayList();
  DispatchButton(IdSearchButton);
}

void Vellora::RefreshPcAddressList() {
  if (!ReadPcAddresses()) return;
  if (ChosenAddress) {
    PcAddressIndex = PcAddresses.Find(*ChosenAddress);
    if (PcAddressIndex < 0) {
      DropPcAddress();
      return;
    }
    PcIpCombo->SetSelIndex(PcAddressIndex);
    ShowPcAddressInCaption();
  } else {
    PcIpCombo->SetSelIndex(-1);
    // A PC that had no address at start takes the first that comes, as it would have at
    // start; an address the operator chose and lost is not replaced behind their back.
    if (!AddressEverChosen && PcAddresses.Count() > 0) {
      PcIpCombo->SetSelIndex(0);
      SelectPcAddress();
    }
  }
}

void Vellora::ShowPcAddressInCaption() {
  char label[40];
  std::snprintf(label, sizeof label, "%d: %s ", PcAddressIndex + 1,
                DottedQuad(NetworkToHostLong(*ChosenAddress)).c_str());
  std::snprintf(CaptionText, sizeof CaptionText, "%s (IP %s)", kBanner, label);
  Ws().SetFrameCaption(CaptionText);
}

void Vellora::DropPcAddress() {
  if (TcpState != TcpIdle) CmConnect();  // ends the connection as its button would
  CloseUdpEndpoint();
  UdpSocket.reset();
  TcpSocket.reset();
  ChosenAddress.reset();
  UnansweredSearchTicks = -1;
  PcIpCombo->SetSelIndex(-1);
  std::snprintf(CaptionText, sizeof CaptionText, "%s", kBanner);
  Ws().SetFrameCaption(CaptionText);
  // Nothing of the old network stays on screen: list, count and fields empty together.
  ClearGatewayList();
  ShowGatewayRecord(GatewayList[0]);
  AddDebugLine("Vellora: The chosen PC address is no longer available");
}
