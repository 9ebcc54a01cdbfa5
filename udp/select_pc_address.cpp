#include <cstdio>

#include "dialog/vellora.h"

void Vellora::SelectPcAddress() {
  PcAddressIndex = PcIpCombo->GetSelIndex();

  {
    auto hostInfo = Sockets.NewHostInfoManager();
    const std::string hostName = hostInfo->GetHostName(128);
    if (hostInfo->GetHostInfo(HostEntry, hostName) != 0) HostEntry = THostEntry();
  }

  if (PcAddressIndex < 0 || PcAddressIndex >= HostEntry.GetAddressCount()) {
    // The list no longer matches the PC (an interface went away): work from no address
    // rather than from a wrong one.
    if (TcpState != TcpIdle) CmConnect();
    CloseUdpEndpoint();
    UdpSocket.reset();
    TcpSocket.reset();
    std::snprintf(CaptionText, sizeof CaptionText, "%s", kBanner);
    Ws().SetFrameCaption(CaptionText);
    ClearGatewayList();
    AddDebugLine("Vellora: The chosen PC address is no longer available");
    return;
  }

  const std::uint32_t a = NetworkToHostLong(HostEntry.GetNthINetAddress(PcAddressIndex));
  const int o1 = static_cast<int>(a >> 24), o2 = static_cast<int>((a >> 16) & 0xFF),
            o3 = static_cast<int>((a >> 8) & 0xFF), o4 = static_cast<int>(a & 0xFF);
  char label[40];
  std::snprintf(label, sizeof label, "%d: %d.%d.%d.%d ", PcAddressIndex + 1, o1, o2, o3, o4);
  std::snprintf(CaptionText, sizeof CaptionText, "%s (IP %s)", kBanner, label);
  Ws().SetFrameCaption(CaptionText);

  char dotted[16];
  std::snprintf(dotted, sizeof dotted, "%d.%d.%d.%d", o1, o2, o3, o4);
  OpenUdpEndpoint(dotted, "8003");
  CreateTcpSocket();
  ClearGatewayList();
  DispatchButton(IdSearchButton);
}
